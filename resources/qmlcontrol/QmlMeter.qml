import QtQuick
import wmeter

// A level meter on a panel. The native WMeter sets the segments' lengths
// (fractions of the bar, from the bottom) and colours, the peak and the
// marker; the gauge reads the scale and the units from it.
Item {
    id: meter

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property string text: ""
    property color textColor: skin ? skin.textColor : "#231F20"
    property bool isMarkerEnabled: false
    property real markerLevelPoint: 0
    property bool isPeakEnabled: false
    property real peakLevelPoint: 0
    property real colorStopPoint1: 0.667
    property real colorStopPoint2: 0.233
    property real colorStopPoint3: 0.1
    property color colorAtPoint1: "#C3C3C3"
    property color colorAtPoint2: "#C3C3C3"
    property color colorAtPoint3: "#C3C3C3"

    width: 60
    height: 220
    z: 1
    visible: false

    Text {
        id: caption
        objectName: "caption"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: text.length > 0 ? 18 : 0
        text: meter.text
        color: meter.textColor
        horizontalAlignment: Text.AlignHCenter
        elide: Text.ElideRight
        font.family: "Helvetica"
        font.pixelSize: 12
    }

    MeterGauge {
        id: gauge
        objectName: "gauge"
        anchors.top: caption.bottom
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.min(parent.width, 60)
        minimumValue: core.minimum
        maximumValue: core.maximum
        unitsText: core.unitsText
        textColor: meter.textColor
        edgeColor: meter.skin ? meter.skin.borderColor : "#A8AAAD"
        stop1: meter.colorStopPoint1
        stop2: meter.colorStopPoint2
        stop3: meter.colorStopPoint3
        colour1: meter.colorAtPoint1
        colour2: meter.colorAtPoint2
        colour3: meter.colorAtPoint3
        peakEnabled: meter.isPeakEnabled
        peakPoint: meter.peakLevelPoint
        markerEnabled: meter.isMarkerEnabled
        markerPoint: meter.markerLevelPoint
    }

    resources: WMeter {
        id: core
        objectName: "widget"
    }
}
