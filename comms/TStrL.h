#pragma once

#include "comms/TListTransform.h"

// An index into up to 8 texts that the binding record's "set" gives
// ("strL"); the device sees the entry text.
class TStrL : public TListTransform
{
    Q_OBJECT

public:
    static constexpr int EntryCount = 8;

    explicit TStrL(QObject *parent = nullptr);

    void configure() override;
    QString typeName() const override { return QStringLiteral("StrL"); }
};
