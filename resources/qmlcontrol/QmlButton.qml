import QtQuick
import wbutton

// A push or toggle button on a panel. The native WButton writes its state
// ("checked", and "isPartialStateActive" on a three-state button) and its
// texts and pictures; the item shows the on text and picture while checked,
// the off ones otherwise, and a three-state button in its partial state the
// partial ones (or the off ones when it has none). A press goes to the
// native side, except on a setup button, which opens the setup menu.
Rectangle {
    id: button

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null
    readonly property color accentColor: skin ? skin.accentColor : "#1D98D5"

    property bool checked: false
    // No initial value: "onText: ..." would read as a handler of "text".
    property string onText
    property string offText: ""
    property string partialText: ""
    property bool hasText: false
    property string text: ""
    property string onImage
    property string offImage: ""
    property string partialImage: ""
    property bool hasImage: false
    property real imageSize: 0.75
    property bool hasBorder: true
    property bool isSequence: false
    property bool isSetupButton: false
    property bool isTristateButton: false
    property bool isPartialStateActive: false
    property bool selEnable: true
    // The setup menu this button opened; made on the first press.
    property Item setupMenu: null

    readonly property bool showsPartial: isTristateButton && isPartialStateActive
    readonly property string shownText: {
        var shown = showsPartial ? (partialText !== "" ? partialText : offText)
                                 : (checked ? onText : offText)
        return shown !== "" ? shown : text
    }
    readonly property string shownImage: showsPartial ? (partialImage !== "" ? partialImage : offImage)
                                                      : (checked ? onImage : offImage)
    // A picture alone shows the state by itself; a text button lights up.
    readonly property bool lit: checked && !(hasImage && !hasText)

    width: 75
    height: 20
    z: 1
    visible: false
    enabled: !(skin && skin.editModeEnable)
    radius: skin ? skin.controlRadius : 5
    color: hasImage && !hasText ? "transparent" : (lit ? accentColor : (skin ? skin.toolBarColor : "#F6F6F6"))
    border.width: hasBorder ? 1 : 0
    border.color: hasBorder ? (checked ? accentColor : (skin ? skin.borderColor : "#A8AAAD")) : "transparent"

    // The menu of the tool row's setup button, opened over the canvas.
    function openSetupMenu() {
        if (!setupMenu) {
            var host = button.parent
            while (host && host.objectName !== "QmlCanvas" && host.parent)
                host = host.parent
            var component = Qt.createComponent("qrc:/qml/objects/QmlPopupMenu.qml")
            if (component.status !== Component.Ready) {
                console.warn("The setup menu cannot be made: " + component.errorString())
                return
            }
            setupMenu = component.createObject(host ? host : button, {
                "objectName": "buttonSetupMenu",
                "title": "Setup",
                "command": "system",
                "model": typeof setupMenuData !== "undefined" ? setupMenuData : []
            })
        }
        if (setupMenu)
            setupMenu.popup()
    }

    Component.onDestruction: {
        if (setupMenu)
            setupMenu.destroy()
    }

    Row {
        anchors.centerIn: parent
        spacing: button.hasImage && label.visible ? button.height * 0.15 : 0

        Image {
            id: picture
            objectName: "picture"
            visible: button.hasImage && button.shownImage !== ""
            anchors.verticalCenter: parent.verticalCenter
            height: button.height * button.imageSize
            width: button.hasText ? height : button.width * button.imageSize
            fillMode: Image.PreserveAspectFit
            source: button.hasImage ? button.shownImage : ""
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
            text: button.shownText
            // Light on a dark accent, dark on a light one.
            color: button.lit ? (button.accentColor.hslLightness > 0.6 ? "#231F20" : "#FFFFFF")
                              : (button.skin ? button.skin.textColor : "#231F20")
            font.pixelSize: Math.max(1, button.height * 0.4)
        }
    }

    // Held down: a sequence button is on only while pressed.
    Rectangle {
        anchors.fill: parent
        radius: button.radius
        color: "#30000000"
        visible: mouse.pressed
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        onPressed: {
            if (button.isSetupButton)
                button.openSetupMenu()
            else
                core.outputPressed()
        }
        onReleased: core.outputReleased()
        // A press taken away from the button ends like a release.
        onCanceled: core.outputReleased()
    }

    resources: WButton {
        id: core
        objectName: "widget"
    }
}
