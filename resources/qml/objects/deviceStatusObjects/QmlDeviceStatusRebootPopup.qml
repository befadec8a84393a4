import QtQuick

// Asks before a device is rebooted, then shows how the reboot went and
// closes itself 2 s after the answer. While it is open the dashboard puts
// its refreshes off (the controller's isRebootDialogOpen).
Item {
    id: popup

    property QtObject controller: null
    property real fontSize: 12
    // The device to reboot and its name.
    property var device: null
    property string deviceTitle: ""
    // "ask", "waiting", "done" or "failed".
    property string phase: "ask"
    readonly property bool open: visible

    visible: false
    z: 10

    function ask(target, title) {
        device = target
        deviceTitle = title
        phase = "ask"
        visible = true
    }

    function close() {
        closeTimer.stop()
        visible = false
        device = null
    }

    onVisibleChanged: {
        if (controller)
            controller.isRebootDialogOpen = visible
    }

    Connections {
        target: popup.controller
        enabled: popup.visible && popup.phase === "waiting"
        function onDeviceRebootedSuccessfully() {
            popup.phase = "done"
            closeTimer.restart()
        }
        function onDeviceRebootingFailed() {
            popup.phase = "failed"
            closeTimer.restart()
        }
    }

    Timer {
        id: closeTimer
        objectName: "rebootCloseTimer"
        interval: 2000
        onTriggered: popup.close()
    }

    Rectangle {
        anchors.fill: parent
        color: intrf.nullRegionColor
    }

    MouseArea {
        anchors.fill: parent
    }

    Rectangle {
        id: box
        objectName: "rebootBox"
        anchors.centerIn: parent
        width: Math.min(parent.width * 0.8, popup.fontSize * 30)
        height: content.height + popup.fontSize * 2
        radius: popup.fontSize * 0.4
        color: intrf.canvasColor
        border.color: intrf.borderColor

        Column {
            id: content
            anchors.centerIn: parent
            width: parent.width - popup.fontSize * 2
            spacing: popup.fontSize

            Text {
                objectName: "rebootTitle"
                width: parent.width
                text: qsTr("Reboot") + " " + popup.deviceTitle
                color: intrf.textColor
                font.family: "Helvetica"
                font.bold: true
                font.pixelSize: popup.fontSize * 1.15
                elide: Text.ElideRight
            }

            Text {
                objectName: "rebootText"
                width: parent.width
                text: popup.phase === "ask" ? qsTr("The device stops playing while it restarts. Reboot it now?")
                    : popup.phase === "waiting" ? qsTr("Rebooting...")
                    : popup.phase === "done" ? qsTr("The device is rebooting.")
                    : qsTr("The device could not be rebooted.")
                color: intrf.textColor
                font.family: "Helvetica"
                font.pixelSize: popup.fontSize
                wrapMode: Text.WordWrap
            }

            Row {
                anchors.right: parent.right
                spacing: popup.fontSize * 0.6
                visible: popup.phase === "ask"

                QmlDeviceStatusButton {
                    objectName: "rebootCancelButton"
                    fontSize: popup.fontSize
                    text: qsTr("Cancel")
                    onClicked: popup.close()
                }

                QmlDeviceStatusButton {
                    objectName: "rebootConfirmButton"
                    fontSize: popup.fontSize
                    text: qsTr("Reboot")
                    onClicked: {
                        popup.phase = "waiting"
                        // A device that is gone, or no longer listed, can
                        // never answer.
                        if (!popup.controller || !popup.controller.rebootDevice(popup.device)) {
                            if (popup.phase === "waiting") {
                                popup.phase = "failed"
                                closeTimer.restart()
                            }
                        }
                    }
                }
            }
        }
    }
}
