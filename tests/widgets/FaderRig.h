#pragma once

#include "NodeProperties.h"
#include "RecordingProtocol.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HBlock.h"
#include "devices/HComposite.h"
#include "widgets/WSlider.h"

#include <QCoreApplication>
#include <QList>
#include <QMouseEvent>
#include <QPair>
#include <QPointF>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>
#include <QTest>

#include <memory>
#include <vector>

using Leaves = QList<QPair<QString, QString>>;

// Fader controls made by the real widget factory from the shipped QML, in
// an offscreen window that takes mouse input, bound to nodes below one
// device. The device's protocol is the rig's recording one unless a test
// gives its nodes another one.
class FaderRig
{
public:
    FaderRig()
    {
        window.resize(400, 300);
        auto *pFactory = new WWidgetFactory;
        pFactory->setParentItem(window.contentItem());
        pFactory->setContext(engine.rootContext());
        WDelegate::instance()->setFactory(pFactory);
    }

    ~FaderRig()
    {
        // The controls hand their items to deferred deletion; let that
        // happen while the window and the engine are still there.
        m_controls.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TTransformFactory::clearRegistry();
        WDelegate::destroyInstance();
    }

    // A block below the device, from design-file properties
    // ("title=Gain", "level=-10 @max=12 @min=-60").
    HNode *addBlock(const QStringList &properties) { return addNode(new HBlock, properties); }

    // A node made elsewhere; the device owns it from then on.
    HNode *addNode(HNode *pNode, const QStringList &properties)
    {
        NodeProperties::read(*pNode, properties);
        device.addChild(pNode);
        pNode->setProtocol(&protocol);
        return pNode;
    }

    // A "Slider" control with its binding ("range" leaves) and a fader
    // widget, and a label widget showing labelText when that is not null.
    // Not bound yet.
    CControl *addFader(const QString &name, HNode *pNode, const Leaves &range,
                       const QString &labelText = QString(), const Leaves &sliderLeaves = Leaves())
    {
        auto pControl = std::make_unique<CControl>();
        pControl->setType(QStringLiteral("Control"));
        pControl->setName(name);
        pControl->setKind(QStringLiteral("Slider"));
        pControl->setNode(pNode);
        for (const auto &leaf : range)
            pControl->setAttribute(QStringLiteral("range"), leaf.first, leaf.second);
        pControl->updateDecimals();
        const Leaves geometry = {{"x", "20"}, {"y", "20"}, {"width", "40"}, {"height", "200"}};
        for (const auto &leaf : geometry + sliderLeaves)
            pControl->setWidgetAttribute(QStringLiteral("slider"), leaf.first, leaf.second);
        pControl->endWidget(QStringLiteral("slider"));
        if (!labelText.isNull()) {
            pControl->setWidgetAttribute(QStringLiteral("label"), QStringLiteral("x"), QStringLiteral("80"));
            pControl->endWidget(QStringLiteral("label"));
            if (WWidget *pLabel = pControl->widgetByType(QStringLiteral("label")))
                pLabel->setItemProperty("text", labelText);
        }
        m_controls.push_back(std::move(pControl));
        return m_controls.back().get();
    }

    // Binds the control and shows its widgets; its fader.
    static WSlider *bind(CControl *pControl)
    {
        pControl->bind();
        pControl->setVisible(true);
        return sliderOf(pControl);
    }

    static WSlider *sliderOf(const CControl *pControl)
    {
        return qobject_cast<WSlider *>(pControl->widgetByType(QStringLiteral("slider")));
    }

    bool showWindow()
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    static QQuickItem *knob(const WSlider *pSlider)
    {
        return pSlider->item() ? pSlider->item()->findChild<QQuickItem *>(QStringLiteral("knob")) : nullptr;
    }

    // Whether the knob's move to the item's value has ended: it moves
    // animated, and a press grabs it where it is.
    static bool isKnobAtRest(const WSlider *pSlider)
    {
        const QQuickItem *pKnob = knob(pSlider);
        QVariant resting;
        if (!pKnob
            || !QMetaObject::invokeMethod(pSlider->item(), "offsetOf", Q_RETURN_ARG(QVariant, resting),
                                          Q_ARG(QVariant, pSlider->itemProperty("value"))))
            return false;
        return qAbs(pKnob->y() - resting.toDouble()) < 0.01;
    }

    // The knob's middle in window coordinates.
    static QPointF knobCentre(const WSlider *pSlider)
    {
        const QQuickItem *pKnob = knob(pSlider);
        if (!pKnob)
            return QPointF();
        return pKnob->mapToScene(QPointF(pKnob->width() / 2, pKnob->height() / 2));
    }

    // Mouse events delivered at once, without a turn of the event loop, so
    // that no timer can fire between them.
    void press(const QPointF &at) { sendMouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void moveTo(const QPointF &at) { sendMouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); }
    void release(const QPointF &at) { sendMouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }

    // A press on the knob and steps of dy pixels each, without a release;
    // answers where the mouse ended.
    QPointF dragBy(const WSlider *pSlider, int steps, qreal dy)
    {
        QPointF at = knobCentre(pSlider);
        press(at);
        for (int i = 0; i < steps; ++i) {
            at.ry() += dy;
            moveTo(at);
        }
        return at;
    }

    // The item's position.
    static int itemValue(const WSlider *pSlider) { return pSlider->itemProperty("value").toInt(); }

    // What a strV transform sends for a position.
    static QString strVText(int position, float step)
    {
        return QString::number(double(float(position) * step), 'f', 1);
    }

    QQmlEngine engine;
    QQuickWindow window;
    RecordingProtocol protocol;
    HComposite device;

private:
    void sendMouse(QEvent::Type type, const QPointF &at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, window.mapToGlobal(at), button, buttons, Qt::NoModifier);
        event.setTimestamp(m_timestamp += 16);
        QCoreApplication::sendEvent(&window, &event);
    }

    std::vector<std::unique_ptr<CControl>> m_controls;
    ulong m_timestamp = 1000;
};
