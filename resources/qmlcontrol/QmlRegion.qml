import QtQuick
import wregion

// An outline on a panel that opens another panel when pressed inside. The
// native WRegion keeps the vertices and decides whether a press hits.
Item {
    id: area

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property color fieldColor: skin ? skin.nullRegionColor : "#50231F20"
    property color borderColor: skin ? skin.borderColor : "#A8AAAD"
    property real borderWidth: 1
    property bool selEnable: true
    // The vertices as points, and the same as JSON, from which the outline
    // is drawn.
    property var model: []
    property string polygon: "[]"

    width: 200
    height: 200
    z: 1
    visible: false

    onFieldColorChanged: outline.requestPaint()
    onBorderColorChanged: outline.requestPaint()
    onBorderWidthChanged: outline.requestPaint()
    onPolygonChanged: outline.requestPaint()

    Canvas {
        id: outline
        anchors.fill: parent

        onPaint: function() {
            var ctx = getContext("2d")
            ctx.reset()
            var vertices = []
            try {
                vertices = JSON.parse(area.polygon)
            } catch (e) {
                vertices = []
            }
            if (vertices.length < 2)
                return
            ctx.beginPath()
            ctx.moveTo(vertices[0].x, vertices[0].y)
            for (var i = 1; i < vertices.length; ++i)
                ctx.lineTo(vertices[i].x, vertices[i].y)
            ctx.closePath()
            ctx.fillStyle = area.fieldColor
            ctx.fill()
            if (area.borderWidth > 0) {
                ctx.lineWidth = area.borderWidth
                ctx.strokeStyle = area.borderColor
                ctx.stroke()
            }
        }
    }

    MouseArea {
        anchors.fill: parent
        enabled: !(area.skin && area.skin.editModeEnable)
        // A press outside the outline goes on to the items below.
        onPressed: function(mouse) {
            mouse.accepted = nativeRegion.outputPressed(mouse.x, mouse.y)
        }
    }

    resources: WRegion {
        id: nativeRegion
        objectName: "widget"
    }
}
