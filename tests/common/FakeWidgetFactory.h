#pragma once

#include "controls/WWidgetFactory.h"

#include <QStringList>

// A widget factory for tests: plain widgets over bare QQuickItem roots, no
// QML engine needed. Types listed in refused get no widget, as types
// outside the real factory's table.
class FakeWidgetFactory : public WWidgetFactory
{
public:
    WWidget *create(const QString &typeName) override;

    QStringList refused{QStringLiteral("dropsite")};
    QStringList created;
};
