import QtQuick

// The full upper row: the site title on the left; the dashboard button, the
// connection indicator and the setup menu button on the right.
Item {
    id: toolBar
    objectName: "toolBar"

    // Height of the row as a fraction of the canvas height.
    property real ratio: intrf.toolBarHeightRatio
    // The desktop canvas, on which the setup menu opens.
    property Item canvas: null
    // Asked once when the row is made: the devices of a project do not
    // change while it is shown, and a new project reloads the rows.
    property bool showDashboard: false

    anchors.fill: parent

    function updateSizes() {
        intrf.toolBarImageSize = height * 0.4375
        intrf.toolBarTextSize = height * 0.375
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

    Text {
        id: headerTitle
        objectName: "headerTitle"
        anchors.left: parent.left
        anchors.right: buttons.left
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        text: intrf.headerTitle
        color: intrf.toolBarTextColor
        font.family: "Helvetica"
        font.pixelSize: Math.max(1, intrf.toolBarTextSize)
        horizontalAlignment: Text.AlignLeft
        elide: Text.ElideRight
    }

    Row {
        id: buttons
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        QmlImageButton {
            id: dashboardButton
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
            width: intrf.toolBarImageSize * 1.21875
            height: intrf.toolBarImageSize * 0.75
            source: intrf.connectInd
            fillMode: Image.PreserveAspectFit
            smooth: true
        }

        QmlImageButton {
            id: menuButton
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
