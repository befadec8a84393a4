#pragma once

#include <QList>
#include <QPointer>
#include <QString>

class CControl;
class TTransform;

// Makes transforms by their panel-file name and keeps the process-wide
// registry of controls that own one, through which a control finds another
// bound to the same parameter and shares its transform.
//
// The registry holds guarded pointers: a control that is destroyed without
// unregistering drops out by itself, so no caller ever gets a dangling one.
class TTransformFactory
{
public:
    // A new transform owned by the caller, or null for an unknown name.
    static TTransform *createTransform(const QString &name);

    static void registerControl(CControl *pControl);
    static void unregisterControl(CControl *pControl);
    // The living registered controls, in registration order.
    static QList<CControl *> registeredControls();
    // Empties the registry; done when the control tree goes.
    static void clearRegistry();

private:
    static QList<QPointer<CControl>> &registry();
};
