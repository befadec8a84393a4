#include "ArxMeterRig.h"

#include "EngineTypes.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HAudioIO.h"
#include "devices/HChassis.h"

#include <QCoreApplication>
#include <QXmlAttributes>

namespace {

void readProperty(HNode &node, const QString &name, const QString &value)
{
    QXmlAttributes atts;
    atts.append(QStringLiteral("name"), QString(), QStringLiteral("name"), name);
    atts.append(QStringLiteral("value"), QString(), QStringLiteral("value"), value);
    node.readAttributes(atts);
}

} // namespace

ArxMeterRig::ArxMeterRig(int meters)
{
    EngineTypes::registerAll();
    m_window.resize(1200, 400);
    auto *pFactory = new WWidgetFactory;
    pFactory->setParentItem(m_window.contentItem());
    pFactory->setContext(m_engine.rootContext());
    WDelegate::instance()->setFactory(pFactory);

    m_pChassis = new HChassis;
    readProperty(*m_pChassis, QStringLiteral("title"), QStringLiteral("ARX-4800"));
    readProperty(*m_pChassis, QStringLiteral("deviceType"), QStringLiteral("ARX-4800"));
    readProperty(*m_pChassis, QStringLiteral("ipAddress"), QStringLiteral("127.0.0.1"));
    m_root.addChild(m_pChassis);
    m_pChassis->finishParsing();
    m_pChassis->arxRestApiRepository()->stopPolling();

    for (int i = 0; i < meters; ++i) {
        auto *pCard = new HAudioIO(QStringLiteral("AMP-4"), HAudioIO::Output);
        readProperty(*pCard, QStringLiteral("title"), QStringLiteral("Amp Output"));
        pCard->setPinIndex(i);
        m_pChassis->addChild(pCard);
        auto pControl = std::make_unique<CControl>();
        pControl->setType(QStringLiteral("Control"));
        pControl->setName(QStringLiteral("Meter %1").arg(i + 1));
        pControl->setNode(pCard);
        pControl->setAttribute(QStringLiteral("meter"), QStringLiteral("struct"), QStringLiteral("10"));
        pControl->setAttribute(QStringLiteral("meter"), QStringLiteral("transform"), QStringLiteral("strV"));
        pControl->setWidgetAttribute(QStringLiteral("meter"), QStringLiteral("x"), QString::number(10 + 36 * i));
        pControl->setWidgetAttribute(QStringLiteral("meter"), QStringLiteral("width"), QStringLiteral("34"));
        pControl->endWidget(QStringLiteral("meter"));
        pControl->bind();
        pControl->setVisible(true);
        if (pControl->widgetByType(QStringLiteral("meter")))
            ++m_bound;
        m_controls.push_back(std::move(pControl));
    }
}

ArxMeterRig::~ArxMeterRig()
{
    m_controls.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    TTransformFactory::clearRegistry();
    WDelegate::destroyInstance();
}
