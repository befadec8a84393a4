#pragma once

#include "controls/WRegion.h"

#include <QQuickItem>
#include <QString>

#include <memory>

// A region inside a bare root item, as the factory leaves a widget.
struct RegionOnItem
{
    explicit RegionOnItem(const QString &polygon = QString())
        : pRoot(std::make_unique<QQuickItem>())
        , pRegion(new WRegion(pRoot.get()))
    {
        pRegion->setObjectName(QStringLiteral("widget"));
        pRegion->setWidget(pRoot.get());
        if (!polygon.isEmpty())
            pRegion->readAttribute(QStringLiteral("polygon"), polygon);
    }

    // A square of 10 by 10 at the origin.
    static QString square() { return QStringLiteral("0,0 10,0 10,10 0,10 "); }

    std::unique_ptr<QQuickItem> pRoot;
    WRegion *pRegion;
};
