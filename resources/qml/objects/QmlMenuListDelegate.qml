import QtQuick

// One entry of a pop-up menu: its text, the accent colour while pressed and a
// separator line below.
Item {
    id: entry

    property string text: ""
    property real margin: 0

    signal clicked()

    Rectangle {
        anchors.fill: parent
        color: entryMouse.pressed ? intrf.accentColor : "transparent"
    }

    Text {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: entry.margin
        anchors.rightMargin: entry.margin
        anchors.verticalCenter: parent.verticalCenter
        text: entry.text
        color: intrf.menuTextColor
        font.family: "Helvetica"
        font.pixelSize: Math.max(1, intrf.menuTextSize * 3 / 4)
        horizontalAlignment: Text.AlignLeft
        elide: Text.ElideRight
    }

    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 1
        color: intrf.menuLineColor
    }

    MouseArea {
        id: entryMouse
        anchors.fill: parent
        onClicked: entry.clicked()
    }
}
