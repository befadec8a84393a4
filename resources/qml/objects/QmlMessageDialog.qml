import QtQuick
import QtQuick.Controls

// A modal message box over the canvas. The program waits for it and learns
// that it closed from the engine's quit signal, hence Qt.quit().
Item {
    id: dialog
    objectName: "messageDialog"

    property string title: ""
    property string text: ""
    property string button: ""
    property bool cancel: false

    anchors.fill: parent
    z: 200
    focus: true

    onCancelChanged: {
        if (cancel)
            Qt.quit()
    }

    Component.onCompleted: forceActiveFocus()

    Keys.onBackPressed: Qt.quit()

    Rectangle {
        anchors.fill: parent
        color: intrf.nullRegionColor
    }

    // Keeps clicks from reaching the panel below.
    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        id: box
        anchors.centerIn: parent
        width: parent.width * 0.9
        height: content.height + 40
        color: intrf.canvasColor
        border.color: intrf.borderColor

        Column {
            id: content
            anchors.centerIn: parent
            width: parent.width - 40
            spacing: 15

            Text {
                objectName: "messageTitle"
                width: parent.width
                text: dialog.title
                color: intrf.textColor
                font.family: "Helvetica"
                font.bold: true
                font.pixelSize: Math.max(1, intrf.dialogTextSize)
                wrapMode: Text.WordWrap
            }

            Text {
                objectName: "messageText"
                width: parent.width
                text: dialog.text
                color: intrf.textColor
                font.family: "Helvetica"
                font.pixelSize: Math.max(1, intrf.dialogTextSize - 2)
                wrapMode: Text.WordWrap
            }

            Button {
                objectName: "messageButton"
                anchors.right: parent.right
                text: dialog.button
                font.family: "Helvetica"
                onClicked: Qt.quit()
            }
        }
    }
}
