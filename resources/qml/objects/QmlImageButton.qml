import QtQuick

// An image that reacts to a click, also 10 pixels around it: the tool-row
// icons are small and the row is often used on touch screens.
Item {
    id: button

    property string source: ""

    signal clicked()

    Image {
        anchors.fill: parent
        source: button.source
        fillMode: Image.PreserveAspectFit
        smooth: true
    }

    MouseArea {
        anchors.fill: parent
        anchors.margins: -10
        onClicked: button.clicked()
    }
}
