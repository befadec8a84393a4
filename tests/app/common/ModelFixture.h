#pragma once

#include "app/MModel.h"
#include "app/VQmlFrame.h"
#include "controls/CCanvas.h"

#include <QQuickItem>

#include <memory>

// A model linked to a real interface object (from the interface QML) and a
// control view item of a chosen size, as the desktop QML would register it.
struct ModelFixture
{
    ModelFixture();

    VQmlFrame view;
    QQuickItem viewItem;
    CCanvas canvas;
    std::unique_ptr<MModel> model;
};
