import QtQuick
import wlevelbuttons

// Level buttons: "+" on top, "-" below, and between them two lines of text,
// the control's text and the value ("valueText"). "value" is the position
// in whole slider units between "minimumValue" and "maximumValue"; the
// native WLevelButtons writes the range and the device's value and takes
// every step. A click steps once and lights the button for 100 ms; held
// down, the button steps again every 200 ms. At a limit the value stays
// and is sent again.
Item {
    id: levels

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null
    readonly property color accentColor: skin ? skin.accentColor : "#1D98D5"
    readonly property color canvasColor: skin ? skin.canvasColor : "#FFFFFF"

    property int value: 0
    property real minimumValue: 0
    property real maximumValue: 128
    property bool bipolar: false
    property color knobColor: skin ? skin.textColor : "#231F20"
    property bool hasBorder: false
    property bool isCircularEnabled: false
    property string text: "default text"
    property string valueText: "80%"
    property bool selEnable: true

    // Outline and signs; a knob colour that would vanish on the canvas
    // gives way to the accent.
    readonly property color signColor: Qt.colorEqual(knobColor, canvasColor) ? accentColor : knobColor

    width: 60
    height: 120
    z: 1
    visible: false
    enabled: !(skin && skin.editModeEnable)

    // One step up (1) or down (-1): the value moves unless it is at the
    // limit, and is sent either way.
    function step(direction) {
        if (direction > 0 && value < maximumValue)
            value = Math.min(value + 1, Math.floor(maximumValue))
        else if (direction < 0 && value > minimumValue)
            value = Math.max(value - 1, Math.ceil(minimumValue))
        core.outputValue(value)
    }

    Rectangle {
        anchors.fill: parent
        visible: levels.hasBorder
        color: "transparent"
        radius: levels.skin ? levels.skin.controlRadius : 5
        border.width: 1
        border.color: levels.skin ? levels.skin.borderColor : "#A8AAAD"
    }

    component StepButton: Item {
        id: stepButton

        // The level buttons item: ids of the file do not reach in here.
        property Item owner: null
        property int direction: 1
        property bool flash: false
        readonly property alias pressed: area.pressed

        // The triangle (or round button) with its sign.
        Canvas {
            id: shape
            anchors.fill: parent
            anchors.margins: Math.max(1, Math.min(stepButton.width, stepButton.height) * 0.06)
            onPaint: {
                var ctx = getContext("2d")
                ctx.reset()
                var w = width, h = height
                var line = Math.max(1, Math.min(w, h) * 0.05)
                ctx.lineWidth = line
                ctx.strokeStyle = stepButton.owner.signColor
                ctx.fillStyle = stepButton.owner.signColor
                ctx.beginPath()
                if (stepButton.owner.isCircularEnabled) {
                    var r = Math.min(w, h) / 2 - line
                    ctx.arc(w / 2, h / 2, r, 0, 2 * Math.PI)
                } else if (stepButton.direction > 0) {
                    ctx.moveTo(w / 2, line)
                    ctx.lineTo(w - line, h - line)
                    ctx.lineTo(line, h - line)
                } else {
                    ctx.moveTo(line, line)
                    ctx.lineTo(w - line, line)
                    ctx.lineTo(w / 2, h - line)
                }
                ctx.closePath()
                if (stepButton.flash)
                    ctx.fill()
                else
                    ctx.stroke()
            }
            Connections {
                target: stepButton
                function onFlashChanged() { shape.requestPaint() }
            }
            Connections {
                target: stepButton.owner
                function onSignColorChanged() { shape.requestPaint() }
                function onIsCircularEnabledChanged() { shape.requestPaint() }
            }
        }

        Text {
            // The sign sits where the triangle is widest.
            anchors.horizontalCenter: parent.horizontalCenter
            y: stepButton.owner.isCircularEnabled ? (parent.height - height) / 2
               : (stepButton.direction > 0 ? parent.height * 0.62 - height / 2
                                           : parent.height * 0.38 - height / 2)
            text: stepButton.direction > 0 ? "+" : "\u2212"
            color: stepButton.flash ? stepButton.owner.canvasColor : stepButton.owner.signColor
            font.bold: true
            font.pixelSize: Math.max(1, Math.min(parent.width, parent.height) * 0.4)
        }

        Timer {
            id: flashTimer
            objectName: "flashTimer"
            interval: 100
            onTriggered: stepButton.flash = false
        }

        // Held down, the button steps again after each 200 ms.
        Timer {
            id: holdTimer
            objectName: "holdTimer"
            interval: 200
            onTriggered: {
                if (!area.pressed)
                    return
                stepButton.click()
                holdTimer.restart()
            }
        }

        function click() {
            flash = true
            flashTimer.restart()
            stepButton.owner.step(direction)
        }

        MouseArea {
            id: area
            anchors.fill: parent
            onPressed: {
                stepButton.click()
                holdTimer.restart()
            }
            onReleased: holdTimer.stop()
            onCanceled: holdTimer.stop()
        }
    }

    StepButton {
        id: upButton
        objectName: "upButton"
        owner: levels
        direction: 1
        anchors.top: parent.top
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.min(parent.width, parent.height * 0.3 * 1.3)
        height: parent.height * 0.3
    }

    Column {
        anchors.top: upButton.bottom
        anchors.bottom: downButton.top
        anchors.left: parent.left
        anchors.right: parent.right

        Text {
            objectName: "textLine"
            width: parent.width
            height: parent.height / 2
            text: levels.text
            color: levels.skin ? levels.skin.textColor : "#231F20"
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            fontSizeMode: Text.Fit
            minimumPixelSize: 6
            font.pixelSize: Math.max(1, height * 0.55)
        }

        Text {
            objectName: "valueLine"
            width: parent.width
            height: parent.height / 2
            text: levels.valueText
            color: levels.skin ? levels.skin.textColor : "#231F20"
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            font.bold: true
            fontSizeMode: Text.Fit
            minimumPixelSize: 6
            font.pixelSize: Math.max(1, height * 0.6)
        }
    }

    StepButton {
        id: downButton
        objectName: "downButton"
        owner: levels
        direction: -1
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        width: upButton.width
        height: upButton.height
    }

    resources: WLevelButtons {
        id: core
        objectName: "widget"
    }
}
