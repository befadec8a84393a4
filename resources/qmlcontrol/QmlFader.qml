import QtQuick
import wslider

// A fader on a panel. "value" is the knob's position in whole slider units
// between "minimumValue" (bottom) and "maximumValue" (top); the native
// WSlider writes the range and the device's value and takes the operator's
// positions. A "rotation" of 90 turns the fader so that the top is on the
// right.
Item {
    id: fader

    // The skin lives in the view's context; faders made elsewhere (tests,
    // previews) fall back to the light skin with the blue accent.
    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property int value: 0
    property real minimumValue: 0
    property real maximumValue: 128
    property bool bipolar: false
    property color knobColor: skin ? skin.toolBarColor : "#F6F6F6"

    readonly property color accentColor: skin ? skin.accentColor : "#1D98D5"
    readonly property color grooveColor: skin ? skin.grooveColor1 : "#A8AAAD"
    readonly property color edgeColor: skin ? skin.borderColor : "#A8AAAD"
    // The grip line stands out from whatever colour the knob was given.
    readonly property color markColor: knobColor.hslLightness > 0.6 ? "#231F20" : "#FFFFFF"
    readonly property real pixelScale: skin ? skin.pixelScale : 1.0

    // True from a press on the knob to the release: only then are changes
    // of "value" the operator's.
    property bool dragMode: false
    // Whether the operator moved the knob since the press.
    property bool dragMoved: false
    property real dragOffset: 0
    property real grabOffset: 0

    readonly property real knobLength: Math.max(8, Math.min(height * 0.12, width * 0.9))
    // How far the knob's top edge can move.
    readonly property real travel: Math.max(0, height - knobLength)
    readonly property real span: maximumValue - minimumValue
    readonly property bool hasSpan: isFinite(span) && span > 0 && travel > 0

    // The knob's top edge for a value; a range of one value (or none) keeps
    // the knob at the bottom.
    function offsetOf(v) {
        if (!hasSpan)
            return travel
        const clamped = Math.min(Math.max(v, minimumValue), maximumValue)
        return (maximumValue - clamped) / span * travel
    }

    // The whole value for a knob offset, within the range.
    function valueAt(offset) {
        if (!hasSpan)
            return value
        const scale = span / travel
        const v = Math.round(scale * (travel - offset) + minimumValue)
        return Math.min(Math.max(v, Math.ceil(minimumValue)), Math.floor(maximumValue))
    }

    width: 40
    height: 200
    z: 1
    visible: false

    onValueChanged: {
        if (dragMode) {
            core.setIsSendNeeded(true)
            core.outputValue(value)
        } else {
            core.setIsSendNeeded(false)
        }
    }

    Item {
        id: track
        anchors.horizontalCenter: parent.horizontalCenter
        y: fader.knobLength / 2
        width: Math.max(2, fader.width * 0.1)
        height: fader.travel

        readonly property real knobCentre: knob.y
        readonly property real zeroCentre: fader.offsetOf(0)

        // Above the knob: the groove, or the accent on a tone EQ.
        Rectangle {
            objectName: "upperGroove"
            width: parent.width
            height: Math.max(0, track.knobCentre)
            radius: width / 2
            color: core.isToneEqControl ? fader.accentColor : fader.grooveColor
        }

        // Below the knob: the level, or the plain groove on a bipolar fader.
        Rectangle {
            objectName: "lowerGroove"
            y: track.knobCentre
            width: parent.width
            height: Math.max(0, track.height - track.knobCentre)
            radius: width / 2
            color: fader.bipolar ? fader.grooveColor : fader.accentColor
        }

        // A bipolar fader fills from its middle to the knob.
        Rectangle {
            visible: fader.bipolar && fader.hasSpan
            y: Math.min(track.zeroCentre, track.knobCentre)
            width: parent.width
            height: Math.abs(track.zeroCentre - track.knobCentre)
            color: fader.accentColor
        }
    }

    Rectangle {
        id: knob
        objectName: "knob"
        x: 0
        y: fader.dragMode ? fader.dragOffset : fader.offsetOf(fader.value)
        width: fader.width
        height: fader.knobLength
        radius: Math.min(height / 4, skin ? skin.controlRadius : 5)
        color: fader.knobColor
        border.width: Math.max(1, 0.5 * fader.pixelScale)
        border.color: fader.edgeColor

        Behavior on y {
            enabled: !fader.dragMode
            NumberAnimation { duration: 50 }
        }

        // The grip line marks the knob's value.
        Rectangle {
            anchors.centerIn: parent
            width: parent.width * 0.6
            height: Math.max(1, parent.height * 0.08)
            color: fader.markColor
        }
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        preventStealing: true

        // The knob is easier to catch than it is big.
        function onKnob(point) {
            const centreX = knob.x + knob.width / 2
            const centreY = knob.y + knob.height / 2
            return Math.abs(point.x - centreX) <= knob.width * 1.75 / 2
                && Math.abs(point.y - centreY) <= knob.height * 2.5 / 2
        }

        onPressed: function (event) {
            core.setIsSendNeeded(true)
            if (onKnob(event)) {
                fader.grabOffset = event.y - knob.y
                fader.dragOffset = knob.y
                fader.dragMoved = false
                fader.dragMode = true
            }
        }
        onPositionChanged: function (event) {
            core.setIsSendNeeded(true)
            if (!fader.dragMode)
                return
            fader.dragOffset = Math.min(Math.max(event.y - fader.grabOffset, 0), fader.travel)
            fader.dragMoved = true
            const v = fader.valueAt(fader.dragOffset)
            if (v !== fader.value)
                fader.value = v
        }
        onReleased: {
            core.setIsSendNeeded(true)
            if (fader.dragMode && fader.dragMoved) {
                // The knob stays where it was let go, also when the device
                // reported an earlier value during the drag.
                const v = fader.valueAt(fader.dragOffset)
                if (v !== fader.value)
                    fader.value = v
            }
            fader.dragMode = false
        }
        onCanceled: fader.dragMode = false
    }

    resources: WSlider {
        id: core
        objectName: "widget"
    }
}
