import QtQuick

// A pie of how many devices of one kind are in which state: one slice per
// state, in the state's colour.
Canvas {
    id: pie

    // Objects with "value" and "color" (the dashboard's slices).
    property var slices: []
    // Changes whenever a new set of slices arrived.
    property int revision: 0

    // The skin's colours it paints with: a new skin paints it again.
    readonly property var skinColours: [intrf.canvasColor, intrf.pageInActive,
                                        intrf.unreachableStateColor]

    onSkinColoursChanged: requestPaint()
    onSlicesChanged: requestPaint()
    onRevisionChanged: requestPaint()
    onWidthChanged: requestPaint()
    onHeightChanged: requestPaint()

    function total() {
        var sum = 0
        if (!slices)
            return 0
        for (var i = 0; i < slices.length; ++i)
            sum += slices[i] ? slices[i].value : 0
        return sum
    }

    onPaint: {
        var ctx = getContext("2d")
        ctx.reset()
        var cx = width / 2
        var cy = height / 2
        var r = Math.min(width, height) / 2 - 1
        if (r <= 0)
            return
        var sum = total()
        if (sum <= 0) {
            ctx.beginPath()
            ctx.arc(cx, cy, r, 0, 2 * Math.PI)
            ctx.fillStyle = intrf.pageInActive
            ctx.fill()
        } else {
            var start = -Math.PI / 2
            for (var i = 0; i < slices.length; ++i) {
                var slice = slices[i]
                if (!slice || slice.value <= 0)
                    continue
                var angle = 2 * Math.PI * slice.value / sum
                ctx.beginPath()
                ctx.moveTo(cx, cy)
                ctx.arc(cx, cy, r, start, start + angle)
                ctx.closePath()
                ctx.fillStyle = intrf.stateColor(slice.color)
                ctx.fill()
                start += angle
            }
        }
        // A hole in the middle, in the background colour, for the count.
        ctx.beginPath()
        ctx.arc(cx, cy, r * 0.55, 0, 2 * Math.PI)
        ctx.fillStyle = intrf.canvasColor
        ctx.fill()
    }
}
