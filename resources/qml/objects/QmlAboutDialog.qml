import QtQuick

// The About box over the canvas. The program waits for it and learns that it
// closed from the engine's quit signal, hence Qt.quit().
Item {
    id: dialog
    objectName: "aboutBox"

    property string text: ""
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
        color: intrf.canvasColor
    }

    QmlAboutContent {
        anchors.fill: parent
        text: dialog.text
    }

    MouseArea {
        anchors.fill: parent
        onClicked: Qt.quit()
    }
}
