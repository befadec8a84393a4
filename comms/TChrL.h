#pragma once

#include "comms/TListTransform.h"

// An index into the list of texts that the binding record's "set" gives
// ("chrL"); the device sees the entry text.
class TChrL : public TListTransform
{
    Q_OBJECT

public:
    using TListTransform::TListTransform;

    void configure() override;
    void receiveText(const QString &text) override;
    QString typeName() const override { return QStringLiteral("ChrL"); }

protected:
    // An empty text names no entry.
    quint8 indexOf(const QString &text) const override;
};
