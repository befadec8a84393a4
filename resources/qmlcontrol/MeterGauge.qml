import QtQuick

// The gauge of a bar meter: the scale from minimumValue (bottom) to
// maximumValue (top) with its figures, the bar with its three segments
// drawn from the bottom, the peak line, the fixed marker, and the units
// line underneath. Lengths and the peak and marker places are fractions of
// the bar.
Item {
    id: gauge

    readonly property var layout: typeof MeterGaugeLocalValue !== "undefined" ? MeterGaugeLocalValue : null

    property real minimumValue: -60
    property real maximumValue: 0
    property string unitsText: ""
    property color textColor: "#231F20"
    property color trackColor: "#C3C3C3"
    property color edgeColor: "#A8AAAD"

    property real stop1: 0.667
    property real stop2: 0.233
    property real stop3: 0.1
    property color colour1: "#C3C3C3"
    property color colour2: "#C3C3C3"
    property color colour3: "#C3C3C3"
    property bool peakEnabled: false
    property real peakPoint: 0
    property bool markerEnabled: false
    property real markerPoint: 0

    readonly property real barWidth: layout ? layout.barWidth : 15
    readonly property real barHeightDif: layout ? layout.barHeightDif : 10
    readonly property real digitOffset: layout ? layout.digitOffset : -8
    readonly property real span: maximumValue - minimumValue
    readonly property bool hasSpan: isFinite(span) && span > 0
    // A tick every step, about six over the scale.
    readonly property real step: !hasSpan ? 1 : span <= 12 ? 2 : span <= 30 ? 5 : span <= 72 ? 10 : 20
    readonly property int tickCount: hasSpan ? Math.floor(span / step + 1e-9) + 1 : 0

    function clampPoint(point) { return Math.min(Math.max(point, 0), 1) }

    Text {
        id: units
        objectName: "unitsLine"
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        text: gauge.unitsText
        color: gauge.textColor
        font.family: "Helvetica"
        font.pixelSize: 11
    }

    Item {
        id: scaleArea
        anchors.top: parent.top
        anchors.bottom: units.top
        anchors.topMargin: gauge.barHeightDif / 2
        anchors.bottomMargin: gauge.barHeightDif / 2 + 2
        anchors.left: parent.left
        anchors.right: parent.right

        // The bar: an unlit track with the segments on it.
        Rectangle {
            id: bar
            objectName: "bar"
            anchors.right: parent.right
            anchors.rightMargin: 4
            width: gauge.barWidth
            height: parent.height
            color: gauge.trackColor
            border.color: gauge.edgeColor
            border.width: 1
            clip: true

            Rectangle {
                objectName: "segment1"
                x: bar.border.width
                width: parent.width - 2 * bar.border.width
                height: bar.height * gauge.clampPoint(gauge.stop1)
                y: bar.height - height
                color: gauge.colour1
            }
            Rectangle {
                objectName: "segment2"
                x: bar.border.width
                width: parent.width - 2 * bar.border.width
                height: bar.height * gauge.clampPoint(gauge.stop2)
                y: bar.height * (1 - gauge.clampPoint(gauge.stop1)) - height
                color: gauge.colour2
            }
            Rectangle {
                objectName: "segment3"
                x: bar.border.width
                width: parent.width - 2 * bar.border.width
                height: bar.height * gauge.clampPoint(gauge.stop3)
                y: bar.height * (1 - gauge.clampPoint(gauge.stop1) - gauge.clampPoint(gauge.stop2)) - height
                color: gauge.colour3
            }
            Rectangle {
                objectName: "peak"
                x: bar.border.width
                visible: gauge.peakEnabled
                width: parent.width - 2 * bar.border.width
                height: 2
                y: bar.height * (1 - gauge.clampPoint(gauge.peakPoint)) - 1
                color: gauge.textColor
            }
        }

        // The fixed marker, a wedge pointing at the bar.
        Canvas {
            objectName: "marker"
            visible: gauge.markerEnabled
            width: 6
            height: 8
            anchors.right: bar.left
            y: scaleArea.height * (1 - gauge.clampPoint(gauge.markerPoint)) - height / 2
            onPaint: {
                const ctx = getContext("2d")
                ctx.reset()
                ctx.fillStyle = gauge.textColor
                ctx.beginPath()
                ctx.moveTo(0, 0)
                ctx.lineTo(width, height / 2)
                ctx.lineTo(0, height)
                ctx.closePath()
                ctx.fill()
            }
        }

        Repeater {
            model: gauge.tickCount
            delegate: Item {
                readonly property real value: gauge.minimumValue + index * gauge.step
                x: 0
                y: scaleArea.height * (1 - (value - gauge.minimumValue) / gauge.span)
                width: bar.x
                Rectangle {
                    anchors.right: parent.right
                    anchors.rightMargin: 1
                    width: 4
                    height: 1
                    color: gauge.textColor
                }
                Text {
                    anchors.right: parent.right
                    anchors.rightMargin: 7
                    y: gauge.digitOffset
                    text: Math.round(parent.value)
                    color: gauge.textColor
                    font.family: "Helvetica"
                    font.pixelSize: 10
                }
            }
        }
    }
}
