import QtQuick

// One device of the dashboard: its state colour, name, module count and
// address, its state and a reboot button. A click opens (or closes) the
// device's feature rows below it; a device without rows there shows its
// state's picture and message instead.
Rectangle {
    id: row
    objectName: "deviceRow"

    required property int index
    required property string displayTitle
    required property string networkState
    required property int enumNetworkState
    required property bool isExpanded
    required property var childModel
    required property string ipAddress
    required property string statusMessage
    required property string deviceStatusImageForSplitView
    required property var object
    required property string networkStatusColor
    required property string secondaryText

    property real fontSize: 12
    property real rowHeight: 40
    property color rowColor: "transparent"
    property color lineColor: "gray"
    readonly property int featureCount: features.count

    signal toggled()
    signal rebootAsked(var device, string title)

    height: top.height + (isExpanded ? detail.height : 0)
    color: rowColor
    radius: fontSize * 0.3
    border.color: lineColor
    clip: true

    Item {
        id: top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: row.rowHeight

        MouseArea {
            objectName: "expandArea"
            anchors.fill: parent
            onClicked: row.toggled()
        }

        Rectangle {
            objectName: "stateBar"
            anchors.left: parent.left
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.margins: 1
            width: row.fontSize * 0.45
            radius: width / 2
            color: intrf.stateColor(row.networkStatusColor)
        }

        Text {
            id: chevron
            anchors.left: parent.left
            anchors.leftMargin: row.fontSize * 1.0
            anchors.verticalCenter: parent.verticalCenter
            width: row.fontSize * 1.2
            text: row.isExpanded ? "\u2212" : "+"
            color: intrf.textColor
            font.family: "Helvetica"
            font.bold: true
            font.pixelSize: row.fontSize * 1.3
        }

        Column {
            anchors.left: chevron.right
            anchors.leftMargin: row.fontSize * 0.4
            anchors.right: stateText.left
            anchors.rightMargin: row.fontSize
            anchors.verticalCenter: parent.verticalCenter
            spacing: row.fontSize * 0.15

            Text {
                objectName: "deviceTitle"
                width: parent.width
                text: row.displayTitle
                color: intrf.textColor
                font.family: "Helvetica"
                font.bold: true
                font.pixelSize: row.fontSize * 1.05
                elide: Text.ElideRight
            }

            Text {
                objectName: "deviceSubtitle"
                width: parent.width
                text: row.secondaryText.length > 0 ? row.ipAddress + "   " + row.secondaryText
                                                   : row.ipAddress
                color: intrf.textColor
                opacity: 0.75
                font.family: "Helvetica"
                font.pixelSize: row.fontSize * 0.85
                elide: Text.ElideRight
            }
        }

        Text {
            id: stateText
            objectName: "deviceState"
            anchors.right: rebootButton.left
            anchors.rightMargin: row.fontSize
            anchors.verticalCenter: parent.verticalCenter
            text: row.networkState
            // The light state colours ("Restart Required", "Device
            // Unreachable") would vanish on a light skin: those use the text
            // colour.
            color: Qt.colorEqual(row.networkStatusColor, "#eaeaea") ? intrf.textColor
                                                                     : row.networkStatusColor
            font.family: "Helvetica"
            font.bold: true
            font.pixelSize: row.fontSize
        }

        QmlDeviceStatusButton {
            id: rebootButton
            objectName: "rebootButton"
            anchors.right: parent.right
            anchors.rightMargin: row.fontSize * 0.6
            anchors.verticalCenter: parent.verticalCenter
            fontSize: row.fontSize * 0.9
            text: qsTr("Reboot")
            onClicked: row.rebootAsked(row.object, row.displayTitle)
        }
    }

    Column {
        id: detail
        objectName: "deviceDetail"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: top.bottom
        anchors.leftMargin: row.fontSize * 2.2
        anchors.rightMargin: row.fontSize
        visible: row.isExpanded
        bottomPadding: row.fontSize * 0.5

        Rectangle {
            width: parent.width
            height: 1
            color: row.lineColor
        }

        Row {
            objectName: "stateMessage"
            visible: row.statusMessage.length > 0
            spacing: row.fontSize * 0.6
            topPadding: row.fontSize * 0.5
            bottomPadding: row.fontSize * 0.3
            width: parent.width

            Image {
                objectName: "stateImage"
                anchors.verticalCenter: parent.verticalCenter
                width: row.fontSize * 2.2
                height: width
                source: row.deviceStatusImageForSplitView
                visible: source != ""
                fillMode: Image.PreserveAspectFit
                smooth: true
            }

            Text {
                objectName: "stateMessageText"
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - row.fontSize * 3
                text: row.statusMessage
                color: intrf.textColor
                font.family: "Helvetica"
                font.pixelSize: row.fontSize * 0.9
                wrapMode: Text.WordWrap
            }
        }

        Repeater {
            id: features
            objectName: "featureRows"
            model: row.isExpanded ? row.childModel : null
            delegate: QmlDeviceStatusFeatureRow {
                width: detail.width
                fontSize: row.fontSize
            }
        }
    }
}
