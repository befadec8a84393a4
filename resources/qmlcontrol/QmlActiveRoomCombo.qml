import QtQuick
import wactivecombo

// The names of the rooms combined with one room. The native WActiveCombo
// keeps the names; between them goes its separator, or a line break when
// it has none.
Rectangle {
    id: label

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property color textColor: skin ? skin.textColor : "#231F20"
    property real textScale: 1.0
    property color borderColor: skin ? skin.borderColor : "#A8AAAD"
    property real borderWidth: 0
    property bool autoSize: false
    property bool selEnable: true
    readonly property string namesText: nativeCombo.roomNames.join(
        nativeCombo.separator.length > 0 ? nativeCombo.separator : "\n")

    width: 120
    height: 40
    z: 0
    visible: false
    color: "transparent"
    border.color: borderColor
    border.width: borderWidth

    Text {
        id: names
        objectName: "names"
        anchors.fill: parent
        anchors.leftMargin: nativeCombo.sideMargins
        anchors.rightMargin: nativeCombo.sideMargins
        text: label.namesText
        color: label.textColor
        font.family: "Helvetica"
        font.pixelSize: Math.max(1, label.autoSize
                                    ? label.height / Math.max(1, lineCount) * 0.6
                                    : 14 * label.textScale)
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    resources: WActiveCombo {
        id: nativeCombo
        objectName: "widget"
    }
}
