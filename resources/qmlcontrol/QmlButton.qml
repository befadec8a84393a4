import QtQuick
import wbutton

// A push or toggle button on a panel; the native WButton drives its state.
Rectangle {
    id: button

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property string text: ""
    property bool hasText: false
    property bool checked: false
    property bool selEnable: true

    width: 75
    height: 20
    z: 1
    visible: false
    radius: skin ? skin.controlRadius : 5
    color: checked ? (skin ? skin.accentColor : "#1D98D5") : (skin ? skin.fieldColor : "#C0231F20")
    border.color: skin ? skin.borderColor : "#A8AAAD"

    Text {
        visible: button.hasText
        anchors.centerIn: parent
        text: button.text
        color: button.skin ? button.skin.textColor : "#231F20"
        font.pixelSize: Math.max(1, button.height * 0.5)
    }

    WButton {
        objectName: "widget"
    }
}
