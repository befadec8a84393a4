import QtQuick
import mqmlinterface

// The look and feel shared by every QML file of the program, published as
// "intrf". Skins and the model overwrite these values at run time; the
// defaults are the "Light" skin with the "Blue" accent.
MQmlInterface {
    // Switches
    property bool rightClickEnable: true
    property bool editModeEnable: false

    // Sizes in pixels and counters
    property int contentWidth: 1920
    property int contentHeight: 1200
    property int maxControlHeight: 340
    property int toolBarTextSize: 42
    property int toolBarImageSize: 60
    property int textLinkTextSize: 12
    property int statusBarTextSize: 42
    property int statusBarArrowHeight: 60
    property int pageCount: 1
    property int pageIndex: 0
    property int textSize: 12

    // Scales, ratios and fractional sizes
    property real pixelScale: 1.0
    property real menuTextSize: 12
    property real dialogTextSize: 12
    property real toolBarSpacingRatio: 0.01
    property real toolBarHeightRatio: 0.085
    property real titleHeightRatio: 0.0625
    property real statusBarHeightRatio: 0.08
    property real logoHeightRatio: 0.12
    property real logoImageSize: 12
    property real controlRadius: 5
    property real viewScale: 1.0

    // Colours
    property color textColor: "#231F20"
    property color menuColor: "#FFFFFF"
    property color menuTextColor: "#231F20"
    property color nullRegionColor: "#50231F20"
    property color menuLineColor: "#A8AAAD"
    property color editColor: "#A0A0A0"
    property color accentColor: "#1D98D5"
    property color canvasColor: "#FFFFFF"
    property color statusBarColor: "#F3F3F3"
    property color statusBarShadow: "#19231F20"
    property color statusBarTextColor: "#000000"
    property color toolBarColor: "#F6F6F6"
    property color toolBarShadow: "#19231F20"
    property color toolBarTextColor: "#000000"
    property color borderColor: "#A8AAAD"
    property color fieldColor: "#C0231F20"
    property color pageInActive: "#A8AAAD"
    property color linkInActive: "#808285"
    property color logoBackColor: "#131A20"
    property color grooveColor1: "#A8AAAD"
    // The dashboard's colour for a device out of reach ("Restart Required",
    // "Device Unreachable"): the device list names a pale grey for both,
    // which only a dark skin shows; each skin gives its own.
    property color unreachableStateColor: "#6B6B6B"

    // Texts
    property string headerTitle: ""
    property string sceneTitle: ""
    property string errMessage: ""

    // Images, relative to the QML under qml/objects/
    property string rightArrow: "../../images/skins/Light/arrow_right.png"
    property string leftArrow: "../../images/skins/Light/arrow_left.png"
    property string setupButton: "../../images/skins/Light/menu.png"
    property string connectInd: "../../images/skins/Light/indicator_red.png"
    property string muteOff: "../../images/skins/Light/mute_off.png"
    property string downArrow: "../../images/skins/Accent/Blue/arrow_down.png"
    property string muteOn: "../../images/skins/Accent/Blue/mute_on.png"
    property string halvernLogo: "../../images/skins/Light/logo_halvern.png"
    property string vrmLogo: "../../images/skins/Light/logo_vrm.png"
    property string deviceStatusDashboardIcon: "../../images/HealthDashboardIcon.png"
    property string collections: "../../images/Collections.png"
    property string flash: "../../images/flash.png"
    property string hold: "../../images/hold.png"
    property string phone: "../../images/phone.png"
    property string backspace: "../../images/ic_backspace.png"
    property string dialerMuteOff: "../../images/mute_off.png"
    property string dialerMuteOn: "../../images/mute_on.png"

    // The rows of the desktop QML and the error message item
    property string topRow: "qrc:/qml/objects/QmlToolBarObject.qml"
    property string bottomRow: "qrc:/qml/objects/QmlStatusBarObject.qml"
    property string errMsgPath: "qrc:/qml/objects/QmlErrMsg.qml"

    // A state colour of the dashboard as this skin draws it.
    function stateColor(colour) {
        return Qt.colorEqual(colour, "#eaeaea") ? unreachableStateColor : colour
    }
}
