import QtQuick
import wslider

// A fader on a panel; the native WSlider drives its value.
Rectangle {
    id: fader

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property real value: 0
    property real from: 0
    property real to: 100
    property bool selEnable: true

    width: 40
    height: 200
    z: 1
    visible: false
    color: "transparent"

    Rectangle {
        id: groove
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.max(2, parent.width * 0.1)
        height: parent.height
        color: fader.skin ? fader.skin.grooveColor1 : "#A8AAAD"
    }

    Rectangle {
        width: parent.width
        height: Math.max(4, parent.height * 0.08)
        radius: height / 4
        color: fader.skin ? fader.skin.accentColor : "#1D98D5"
        y: fader.to > fader.from
           ? (1 - (fader.value - fader.from) / (fader.to - fader.from)) * (fader.height - height)
           : fader.height - height
    }

    WSlider {
        objectName: "widget"
    }
}
