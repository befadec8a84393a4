import QtQuick
import QtQuick.Controls

// The area between the rows. The panels' widget items are created as its
// children by the program, which finds it under the name "QmlView".
Item {
    id: controlObject
    objectName: "controlObject"

    Component.onCompleted: intrf.setObject("QmlView", controlObject)

    onHeightChanged: {
        if (height <= 0)
            return
        intrf.canvasResize()
        intrf.menuTextSize = height * 0.0375
        intrf.dialogTextSize = height * 0.03125
    }

    Rectangle {
        anchors.fill: parent
        color: intrf.canvasColor
    }

    // Panels are not edited in this program; a press only ends an edit that
    // someone started by setting editModeEnable.
    MouseArea {
        anchors.fill: parent
        enabled: intrf.editModeEnable
        onPressed: intrf.cancelEdit()
    }

    MouseArea {
        id: rightClickArea
        objectName: "rightClickArea"
        anchors.fill: parent
        enabled: intrf.rightClickEnable
        acceptedButtons: Qt.RightButton
        onPressed: function (mouse) {
            layoutMenu.popup(controlObject, mouse.x, mouse.y)
            layoutMenuTimer.restart()
        }
    }

    Menu {
        id: layoutMenu
        objectName: "layoutMenu"
        width: 100
        height: 30
        font.family: "Helvetica"

        MenuItem {
            text: "Layout..."
            font.family: "Helvetica"
            onTriggered: intrf.panelSetup()
        }
    }

    Timer {
        id: layoutMenuTimer
        interval: 2000
        onTriggered: layoutMenu.close()
    }
}
