import QtQuick

// The small upper row: no title, only the dashboard button, the connection
// indicator and the setup menu button at the right edge.
Item {
    id: toolBar
    objectName: "minToolBar"

    // Height of the row as a fraction of the canvas height.
    property real ratio: intrf.toolBarHeightRatio * 0.625
    // The desktop canvas, on which the setup menu opens.
    property Item canvas: null
    // Asked once when the row is made, as in the full tool row.
    property bool showDashboard: false

    anchors.fill: parent

    function updateSizes() {
        intrf.toolBarImageSize = height * 0.7
    }

    onHeightChanged: updateSizes()

    Component.onCompleted: {
        showDashboard = intrf.shouldDisplayDeviceStatusDashboardIcon()
        updateSizes()
        intrf.setObject("Connected", indicator)
    }

    Rectangle {
        anchors.fill: parent
        color: intrf.toolBarColor
    }

    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 1
        color: intrf.toolBarShadow
    }

    Row {
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        QmlImageButton {
            objectName: "dashboardButton"
            anchors.verticalCenter: parent.verticalCenter
            visible: toolBar.showDashboard
            width: intrf.toolBarImageSize
            height: intrf.toolBarImageSize
            source: intrf.deviceStatusDashboardIcon
            onClicked: {
                intrf.closeSignal()
                intrf.onDeviceStatusDashboardOpen()
            }
        }

        Image {
            id: indicator
            objectName: "connectionIndicator"
            anchors.verticalCenter: parent.verticalCenter
            width: intrf.toolBarImageSize * 0.8125
            height: intrf.toolBarImageSize * 0.5
            source: intrf.connectInd
            fillMode: Image.PreserveAspectFit
            smooth: true
        }

        QmlImageButton {
            objectName: "menuButton"
            anchors.verticalCenter: parent.verticalCenter
            width: intrf.toolBarImageSize
            height: intrf.toolBarImageSize
            source: intrf.setupButton
            onClicked: {
                intrf.closeSignal()
                setupMenu.popup()
            }
        }
    }

    QmlPopupMenu {
        id: setupMenu
        objectName: "setupMenu"
        parent: toolBar.canvas ? toolBar.canvas : toolBar
        model: setupMenuData
        title: "Setup"
        command: "system"
    }
}
