#include "RoomCombineTypes.h"

#include "HRCGroup.h"
#include "HRCGroupCombo.h"
#include "HRCRoom.h"
#include "WActiveCombo.h"
#include "WComboSelection.h"
#include "WRoomSelection.h"
#include "controls/WWidgetFactory.h"
#include "devices/HNodeFactory.h"

#include <QObject>

void RoomCombineTypes::registerTypes()
{
    static bool s_registered = false;
    if (s_registered)
        return;
    s_registered = true;

    HNodeFactory::registerNode(QT_TRANSLATE_NOOP("QObject", "RCGroup"), []() -> HNode * { return new HRCGroup; });
    HNodeFactory::registerNode(QT_TRANSLATE_NOOP("QObject", "RCRoom"), []() -> HNode * { return new HRCRoom; });
    HNodeFactory::registerNode(QT_TRANSLATE_NOOP("QObject", "RCGroupCombo"),
                               []() -> HNode * { return new HRCGroupCombo; });

    WWidgetFactory::registerType(QStringLiteral("activeroomcombo"),
                                 QStringLiteral("qrc:/qmlcontrol/QmlActiveRoomCombo.qml"));
    WWidgetFactory::registerType(QStringLiteral("roomselector"),
                                 QStringLiteral("qrc:/qmlcontrol/QmlRoomSelector.qml"));
    WWidgetFactory::registerType(QStringLiteral("comboselector"),
                                 QStringLiteral("qrc:/qmlcontrol/QmlComboSelector.qml"));

    WWidgetFactory::registerClass<WActiveCombo>("WActiveCombo");
    WWidgetFactory::registerClass<WComboSelection>("WComboSelection");
    WWidgetFactory::registerClass<WRoomSelection>("WRoomSelection");
}
