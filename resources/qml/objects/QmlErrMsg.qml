import QtQuick

// Shows the program's current error message (intrf.errMessage), centred.
Item {
    id: errMsg
    objectName: "errMsg"

    anchors.fill: parent

    Rectangle {
        anchors.fill: parent
        color: intrf.canvasColor
    }

    Text {
        objectName: "errMessage"
        anchors.fill: parent
        anchors.margins: 10
        text: intrf.errMessage
        color: intrf.textColor
        font.family: "Helvetica"
        font.pixelSize: Math.max(1, intrf.dialogTextSize)
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        wrapMode: Text.WordWrap
    }
}
