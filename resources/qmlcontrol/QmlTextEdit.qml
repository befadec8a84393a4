import QtQuick
import wtextedit

// A value shown as text. The native WTextEdit sets the text.
Rectangle {
    id: edit

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property string text: ""
    property real textSize: skin ? skin.textLinkTextSize : 12
    property bool selEnable: false

    width: 20
    height: 20
    z: 1
    visible: false
    color: "transparent"

    onHeightChanged: textSize = height * 0.5

    Text {
        anchors.centerIn: parent
        text: edit.text
        color: edit.skin ? edit.skin.textColor : "#231F20"
        font.family: "Helvetica"
        font.pixelSize: Math.max(1, edit.textSize)
    }

    resources: WTextEdit {
        objectName: "widget"
    }
}
