import QtQuick

// One kind of device on the dashboard's left: its name, its pie with the
// device count in the middle, and the legend of its states. Clicking it
// shows that kind's devices.
Rectangle {
    id: tab

    property string title: ""
    property string count: "0"
    property var slices: []
    property int revision: 0
    property bool selected: false
    property real fontSize: 12
    signal clicked()

    height: content.height + fontSize * 1.2
    radius: fontSize * 0.3
    color: selected ? Qt.tint(intrf.canvasColor, Qt.rgba(intrf.accentColor.r, intrf.accentColor.g,
                                                          intrf.accentColor.b, 0.18))
                    : intrf.canvasColor
    border.color: selected ? intrf.accentColor : intrf.menuLineColor
    border.width: selected ? 2 : 1

    MouseArea {
        anchors.fill: parent
        onClicked: tab.clicked()
    }

    Column {
        id: content
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: tab.fontSize * 0.6
        spacing: tab.fontSize * 0.5

        Text {
            objectName: "kindTitle"
            width: parent.width
            text: tab.title
            color: intrf.textColor
            font.family: "Helvetica"
            font.bold: true
            font.pixelSize: tab.fontSize * 1.05
            elide: Text.ElideRight
        }

        Item {
            width: parent.width
            height: Math.min(parent.width * 0.6, tab.fontSize * 8)

            QmlDeviceStatusPieChart {
                id: pie
                objectName: "pieChart"
                anchors.centerIn: parent
                width: parent.height
                height: parent.height
                slices: tab.slices
                revision: tab.revision
            }

            Text {
                objectName: "kindCount"
                anchors.centerIn: pie
                text: tab.count
                color: intrf.textColor
                font.family: "Helvetica"
                font.bold: true
                font.pixelSize: tab.fontSize * 1.4
            }
        }

        Repeater {
            objectName: "legend"
            model: tab.slices
            delegate: Row {
                spacing: tab.fontSize * 0.4
                Rectangle {
                    objectName: "legendDot"
                    anchors.verticalCenter: parent.verticalCenter
                    width: tab.fontSize * 0.8
                    height: width
                    radius: width / 2
                    color: modelData ? intrf.stateColor(modelData.color) : "transparent"
                }
                Text {
                    objectName: "legendText"
                    text: modelData ? modelData.label + ": " + modelData.value : ""
                    color: intrf.textColor
                    font.family: "Helvetica"
                    font.pixelSize: tab.fontSize * 0.85
                }
            }
        }
    }
}
