import QtQuick
import wtextlink

// A text or picture that acts as one position of a selector: lit while the
// device value ("current") equals its own value ("index"); a click sends
// its value through the native WTextLink.
Rectangle {
    id: link

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null
    readonly property bool selected: index === current
    readonly property color accentColor: skin ? skin.accentColor : "#1D98D5"
    readonly property color inactiveColor: skin ? skin.linkInActive : "#808285"

    property int index: 0
    property int current: -1
    property bool flash: false
    property string text: ""
    property real textSize: skin ? skin.textLinkTextSize : 12
    property string onImage: ""
    property string offImage: ""
    property bool hasText: false
    property bool hasImage: false
    property real imageSize: 1.0
    property bool buttonMode: true
    property bool selEnable: true
    property bool hasBorder: true

    width: 75
    height: 20
    z: 1
    visible: false
    enabled: !(skin && skin.editModeEnable)
    color: flash ? accentColor : "transparent"
    radius: height * 0.5
    border.width: hasBorder ? 2 : 0
    border.color: hasBorder ? (selected ? accentColor : inactiveColor) : "transparent"

    onHeightChanged: textSize = height * 0.5625

    Text {
        visible: link.hasText
        anchors.centerIn: parent
        text: link.text
        color: link.selected ? link.accentColor : link.inactiveColor
        font.pixelSize: Math.max(1, link.textSize)
    }

    Image {
        visible: link.hasImage
        anchors.centerIn: parent
        height: link.height * link.imageSize * (link.hasBorder ? 0.8 : 1.0)
        width: link.width
        fillMode: Image.PreserveAspectFit
        source: link.hasImage ? (link.selected ? link.onImage : link.offImage) : ""
        asynchronous: true
    }

    Timer {
        id: flashTimer
        interval: 100
        onTriggered: link.flash = false
    }

    MouseArea {
        anchors.fill: parent
        onClicked: {
            link.flash = true
            flashTimer.restart()
            nativeLink.outputClicked()
        }
    }

    resources: WTextLink {
        id: nativeLink
        objectName: "widget"
    }
}
