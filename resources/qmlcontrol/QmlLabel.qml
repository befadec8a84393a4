import QtQuick
import wlabel

// A line of text on a panel. The native WLabel sets the text and its look.
Text {
    id: label

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property color textColor: skin ? skin.textColor : "#231F20"
    property real textScale: 1.0
    property bool enableEdit: false
    property bool selEnable: true
    property bool autoSize: false
    property bool sliderLabel: false

    width: 75
    height: 20
    z: 0
    visible: false
    color: textColor
    font.family: "Helvetica"
    font.pixelSize: Math.max(1, autoSize ? height * 0.5 : height * 0.5 * textScale)
    verticalAlignment: Text.AlignVCenter

    resources: WLabel {
        objectName: "widget"
    }
}
