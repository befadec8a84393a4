import QtQuick

// A panel that fades in over part of the keypad while "shown" and fades out
// again; while it is there it takes every press, so the keys below it get
// none. Its children are its own keys.
Item {
    id: cover

    property bool shown: false
    property color tint: "#000000"
    property color fill: "#FFFFFF"
    property real radius: 5

    default property alias content: holder.data

    opacity: shown ? 1.0 : 0.0
    visible: opacity > 0.0
    z: 2

    Behavior on opacity {
        NumberAnimation { duration: 150 }
    }

    // Presses that miss the panel's own keys end here.
    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        anchors.fill: parent
        radius: cover.radius
        color: cover.fill
        border.color: cover.tint
        border.width: 2
    }

    Item {
        id: holder
        anchors.fill: parent
    }
}
