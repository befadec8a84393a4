import QtQuick
import wroomselection

// One room of a floor plan. The native WRoomSelection keeps the outline,
// decides whether a press hits the room and says whether the room is in a
// combination, and in which colour. In edit mode the corners can be
// dragged; the edited outline goes back to the native side.
Item {
    id: room

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null
    readonly property bool editing: skin ? skin.editModeEnable : false

    property color fieldColor: nativeRoom.isSelected ? nativeRoom.fillColor : "lightgrey"
    property color fillColor: fieldColor
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

    function repaint() { outline.requestPaint() }

    onFillColorChanged: outline.requestPaint()
    onBorderColorChanged: outline.requestPaint()
    onBorderWidthChanged: outline.requestPaint()
    onPolygonChanged: outline.requestPaint()

    Canvas {
        id: outline
        objectName: "outline"
        anchors.fill: parent

        onPaint: function() {
            var ctx = getContext("2d")
            ctx.reset()
            var vertices = []
            try {
                vertices = JSON.parse(room.polygon)
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
            ctx.globalAlpha = nativeRoom.isSelected ? nativeRoom.selectedOpacity
                                                    : nativeRoom.unselectedOpacity
            ctx.fillStyle = room.fillColor
            ctx.fill()
            ctx.globalAlpha = 1.0
            if (room.borderWidth > 0) {
                ctx.lineWidth = room.borderWidth
                ctx.strokeStyle = room.borderColor
                ctx.stroke()
            }
        }
    }

    Connections {
        target: nativeRoom
        function onIsSelectedChanged() { outline.requestPaint() }
        function onSelectedOpacityChanged() { outline.requestPaint() }
        function onUnselectedOpacityChanged() { outline.requestPaint() }
    }

    MouseArea {
        anchors.fill: parent
        enabled: !room.editing
        // A press outside the outline goes on to the items below, which
        // may be the neighbouring room.
        onPressed: function(mouse) {
            mouse.accepted = nativeRoom.containsPoint(mouse.x, mouse.y)
            if (mouse.accepted)
                nativeRoom.outputPressed(mouse.x, mouse.y)
        }
    }

    // The corners, draggable in edit mode.
    Repeater {
        model: room.editing ? room.model.length : 0

        Rectangle {
            id: corner
            width: 10
            height: 10
            radius: 5
            x: room.model[index].x - width / 2
            y: room.model[index].y - height / 2
            color: room.skin ? room.skin.editColor : "#A0A0A0"

            MouseArea {
                anchors.fill: parent
                drag.target: corner
                onReleased: {
                    var points = []
                    for (var i = 0; i < room.model.length; ++i) {
                        if (i === index)
                            points.push({ x: corner.x + corner.width / 2, y: corner.y + corner.height / 2 })
                        else
                            points.push({ x: room.model[i].x, y: room.model[i].y })
                    }
                    nativeRoom.saveVertices(JSON.stringify(points))
                }
            }
        }
    }

    resources: WRoomSelection {
        id: nativeRoom
        objectName: "widget"
    }
}
