#include "WidgetTypes.h"

#include "WButton.h"
#include "WCmdButton.h"
#include "WDialer.h"
#include "WDropList.h"
#include "WLevelButtons.h"
#include "WMeter.h"
#include "WMeterImage.h"
#include "WSlider.h"
#include "WTextLink.h"
#include "controls/WWidgetFactory.h"

void WidgetTypes::registerTypes()
{
    static bool s_registered = false;
    if (s_registered)
        return;
    s_registered = true;

    WWidgetFactory::registerType(QStringLiteral("button"), QStringLiteral("qrc:/qmlcontrol/QmlButton.qml"));
    WWidgetFactory::registerType(QStringLiteral("cmdbutton"), QStringLiteral("qrc:/qmlcontrol/QmlCmdButton.qml"));
    WWidgetFactory::registerType(QStringLiteral("dialer"), QStringLiteral("qrc:/qmlcontrol/QmlDialer.qml"));
    WWidgetFactory::registerType(QStringLiteral("droplist"), QStringLiteral("qrc:/qmlcontrol/QmlDroplist.qml"));
    WWidgetFactory::registerType(QStringLiteral("slider"), QStringLiteral("qrc:/qmlcontrol/QmlFader.qml"));
    WWidgetFactory::registerType(QStringLiteral("textlink"), QStringLiteral("qrc:/qmlcontrol/QmlTextLink.qml"));
    WWidgetFactory::registerType(QStringLiteral("levelbutton"),
                                 QStringLiteral("qrc:/qmlcontrol/QmlLevelButtons.qml"));
    WWidgetFactory::registerType(QStringLiteral("meter"), QStringLiteral("qrc:/qmlcontrol/QmlMeter.qml"));
    WWidgetFactory::registerType(QStringLiteral("meterimage"), QStringLiteral("qrc:/qmlcontrol/QmlMeterImage.qml"));

    WWidgetFactory::registerClass<WButton>("WButton");
    WWidgetFactory::registerClass<WCmdButton>("WCmdButton");
    WWidgetFactory::registerClass<WDialer>("WDialer");
    WWidgetFactory::registerClass<WDropList>("WDropList");
    WWidgetFactory::registerClass<WSlider>("WSlider");
    WWidgetFactory::registerClass<WTextLink>("WTextLink");
    WWidgetFactory::registerClass<WLevelButtons>("WLevelButtons");
    WWidgetFactory::registerClass<WMeter>("WMeter");
    WWidgetFactory::registerClass<WMeterImage>("WMeterImage");
}
