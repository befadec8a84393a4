#pragma once

#include <QMetaMethod>
#include <QMetaProperty>
#include <QObject>

// Connects the change signal of a property, declared in C++ or in QML, to a
// slot named by its signature ("update()"); false when either is missing.
inline bool connectPropertyNotify(QObject *pSource, const char *property, QObject *pReceiver, const char *slot)
{
    const QMetaObject *pMeta = pSource->metaObject();
    const int index = pMeta->indexOfProperty(property);
    const int slotIndex = pReceiver->metaObject()->indexOfSlot(slot);
    if (index < 0 || slotIndex < 0)
        return false;
    return QObject::connect(pSource, pMeta->property(index).notifySignal(), pReceiver,
                            pReceiver->metaObject()->method(slotIndex));
}
