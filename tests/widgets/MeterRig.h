#pragma once

#include "NodeProperties.h"
#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HAudioIO.h"
#include "devices/HBlock.h"
#include "devices/HComposite.h"
#include "project/XmlWriter.h"
#include "widgets/WMeter.h"
#include "widgets/WMeterImage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QList>
#include <QMap>
#include <QPair>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QStringList>
#include <QTest>
#include <QXmlStreamReader>

#include <memory>
#include <vector>

// A protocol that counts level requests instead of sending them, and can
// be told it is online.
class LevelLog : public PProtocol
{
public:
    void requestMeterStatus(TTransform *pTransform) override
    {
        ++requests;
        last = pTransform;
    }
    bool requestValue(TTransform *) override { return true; }

    int requests = 0;
    TTransform *last = nullptr;
};

using MeterLeaves = QList<QPair<QString, QString>>;

// Meter controls made by the real widget factory from the shipped QML, in
// an offscreen window, bound to nodes below one device.
class MeterRig
{
public:
    MeterRig()
    {
        window.resize(400, 300);
        auto *pFactory = new WWidgetFactory;
        pFactory->setParentItem(window.contentItem());
        pFactory->setContext(engine.rootContext());
        WDelegate::instance()->setFactory(pFactory);
    }

    ~MeterRig()
    {
        m_controls.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TTransformFactory::clearRegistry();
        WDelegate::destroyInstance();
    }

    // A block below the device, from design-file properties.
    HNode *addBlock(const QStringList &properties, HComposite *pDevice = nullptr)
    {
        return addNode(new HBlock, properties, pDevice);
    }
    // An input or output card with its I/O index.
    HNode *addCard(int direction, int pinIndex, const QStringList &properties,
                   HComposite *pDevice = nullptr)
    {
        auto *pCard = new HAudioIO(QStringLiteral("AIN-4"), direction);
        pCard->setPinIndex(pinIndex);
        return addNode(pCard, properties, pDevice);
    }
    HNode *addNode(HNode *pNode, const QStringList &properties, HComposite *pDevice)
    {
        NodeProperties::read(*pNode, properties);
        (pDevice ? pDevice : &device)->addChild(pNode);
        if (!pDevice)
            pNode->setProtocol(&protocol);
        return pNode;
    }

    // A "Meter" control with its level-list binding and one widget of the
    // type ("meter" or "meterimage") read from the leaves. Not bound.
    CControl *addMeter(const QString &type, HNode *pNode, const MeterLeaves &leaves,
                       const QString &name = QStringLiteral("Meter"),
                       const MeterLeaves &binding = MeterLeaves())
    {
        auto pControl = std::make_unique<CControl>();
        pControl->setType(QStringLiteral("Control"));
        pControl->setName(name);
        pControl->setKind(QStringLiteral("Meter"));
        pControl->setNode(pNode);
        const MeterLeaves defaults = {{"struct", "10"}, {"transform", "strV"}, {"doNotPoll", "1"}};
        for (const auto &leaf : defaults + binding)
            pControl->setAttribute(QStringLiteral("meter"), leaf.first, leaf.second);
        const MeterLeaves geometry = {{"x", "20"}, {"y", "20"}, {"width", "60"}, {"height", "220"}};
        for (const auto &leaf : geometry + leaves)
            pControl->setWidgetAttribute(type, leaf.first, leaf.second);
        pControl->endWidget(type);
        m_controls.push_back(std::move(pControl));
        return m_controls.back().get();
    }

    // Binds the control, shows it when asked; its widget of the type.
    template <typename Meter>
    static Meter *bind(CControl *pControl, bool show = true)
    {
        pControl->bind();
        if (show)
            pControl->setVisible(true);
        for (WWidget *pWidget : pControl->widgets()) {
            if (auto *pMeter = qobject_cast<Meter *>(pWidget))
                return pMeter;
        }
        return nullptr;
    }

    // What the widget saves: each element below its own, by name.
    static QMap<QString, QString> saved(const WWidget *pWidget)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        XmlWriter writer(&buffer);
        pWidget->writeAttributes(writer);
        QMap<QString, QString> elements;
        // <r><meter><name>text</name>...</meter></r>
        QXmlStreamReader reader("<r>" + buffer.data() + "</r>");
        int depth = 0;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement()) {
                if (++depth == 3) {
                    elements.insert(reader.name().toString(), reader.readElementText());
                    --depth;
                }
            } else if (reader.isEndElement()) {
                --depth;
            }
        }
        return elements;
    }

    QQmlEngine engine;
    QQuickWindow window;
    LevelLog protocol;
    HComposite device;

private:
    std::vector<std::unique_ptr<CControl>> m_controls;
};
