import QtQuick

// One key of the telephone keypad, drawn from its two pictures
// (folder + key + "_normal.png" / "_pressed.png"). A short press emits
// clicked, a press held past the press-and-hold time emits held on release,
// and holding it for heldFiveSecondsInterval emits heldFiveSeconds at once.
Item {
    id: button

    property string folder: ""
    property string key: ""
    // How long a press lasts before heldFiveSeconds; tests shorten it.
    property int heldFiveSecondsInterval: 5000
    // Set once the press lasted the press-and-hold time.
    property bool isHeld: false
    readonly property bool isDown: mouse.pressed

    signal clicked()
    signal held()
    signal heldFiveSeconds()

    Image {
        anchors.fill: parent
        source: button.key === "" ? "" : button.folder + button.key + (mouse.pressed ? "_pressed.png" : "_normal.png")
        fillMode: Image.PreserveAspectFit
        smooth: true
        mipmap: true
    }

    MouseArea {
        id: mouse
        anchors.fill: parent

        onPressed: {
            button.isHeld = false
            fiveSeconds.restart()
        }
        onPressAndHold: button.isHeld = true
        onReleased: function (event) {
            fiveSeconds.stop()
            const wasHeld = button.isHeld
            button.isHeld = false
            // Let go away from the key: nothing.
            if (event.x < 0 || event.y < 0 || event.x > width || event.y > height)
                return
            if (wasHeld)
                button.held()
            else
                button.clicked()
        }
        onCanceled: {
            fiveSeconds.stop()
            button.isHeld = false
        }
    }

    Timer {
        id: fiveSeconds
        interval: button.heldFiveSecondsInterval
        onTriggered: button.heldFiveSeconds()
    }
}
