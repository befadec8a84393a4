import QtQuick

// A flat text button of the dashboard, in the skin's accent colour.
Rectangle {
    id: button

    property alias text: label.text
    property real fontSize: 12
    signal clicked()

    implicitWidth: label.implicitWidth + fontSize * 1.6
    implicitHeight: fontSize * 2.2
    width: implicitWidth
    height: implicitHeight
    radius: height * 0.18
    color: !enabled ? intrf.pageInActive
                    : area.pressed ? Qt.darker(intrf.accentColor, 1.25) : intrf.accentColor
    opacity: enabled ? 1.0 : 0.6

    Text {
        id: label
        anchors.centerIn: parent
        color: "#FFFFFF"
        font.family: "Helvetica"
        font.bold: true
        font.pixelSize: button.fontSize * 0.9
    }

    MouseArea {
        id: area
        anchors.fill: parent
        enabled: button.enabled
        onClicked: button.clicked()
    }
}
