import QtQuick
import wcmdbutton

// A command button: a text or picture that hands its command to the widget
// it is linked to. A press lights the background in the accent colour for
// 200 ms and goes to the native WCmdButton.
Rectangle {
    id: button

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null
    readonly property color accentColor: skin ? skin.accentColor : "#1D98D5"

    property string text: ""
    property bool hasText: false
    property string onImage
    property string offImage: ""
    property bool hasImage: false
    property real imageSize: 0.75
    property bool hasBorder: true
    property bool flash: false
    property bool selEnable: true

    width: 75
    height: 20
    z: 1
    visible: false
    enabled: !(skin && skin.editModeEnable)
    radius: skin ? skin.controlRadius : 5
    color: flash ? accentColor : "transparent"
    border.width: hasBorder ? 1 : 0
    border.color: hasBorder ? (skin ? skin.borderColor : "#A8AAAD") : "transparent"

    Row {
        anchors.centerIn: parent
        spacing: button.hasImage && label.visible ? button.height * 0.15 : 0

        Image {
            id: picture
            objectName: "picture"
            visible: button.hasImage && button.onImage !== ""
            anchors.verticalCenter: parent.verticalCenter
            height: button.height * button.imageSize
            width: label.visible ? height : button.width * button.imageSize
            fillMode: Image.PreserveAspectFit
            source: button.hasImage ? button.onImage : ""
            smooth: true
        }

        Text {
            id: label
            objectName: "label"
            visible: button.hasText && text !== ""
            anchors.verticalCenter: parent.verticalCenter
            // A long text shrinks to the room beside the picture.
            width: Math.max(1, button.width * 0.9 - (picture.visible ? picture.width + parent.spacing : 0))
            height: button.height * 0.8
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            fontSizeMode: Text.Fit
            minimumPixelSize: 6
            text: button.text
            color: button.skin ? button.skin.textColor : "#231F20"
            // A single sign is drawn large, a word smaller.
            font.pixelSize: Math.max(1, button.height * 0.5 * (text.length > 1 ? 0.625 : 1.0))
        }
    }

    Timer {
        id: flashTimer
        objectName: "flashTimer"
        interval: 200
        onTriggered: button.flash = false
    }

    MouseArea {
        anchors.fill: parent
        onPressed: {
            button.flash = true
            flashTimer.restart()
            core.outputPressed()
        }
    }

    resources: WCmdButton {
        id: core
        objectName: "widget"
    }
}
