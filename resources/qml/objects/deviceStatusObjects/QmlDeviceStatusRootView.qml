import QtQuick
import QtQuick.Controls

// The device-status dashboard, laid over the whole canvas while it is open.
// One kind of device at a time (the loudspeaker array or the ARX
// amplifiers, picked on the left where each kind has its pie of states),
// its devices listed by gravity of state, each row opening onto the
// device's feature rows. The program reaches it as "deviceStatusController"
// and its list as "deviceStatusListProxyModel" (only set when the project
// has status devices).
Item {
    id: root
    objectName: "deviceStatusRootView"

    readonly property QtObject controller: typeof deviceStatusController === "undefined"
                                           ? null : deviceStatusController
    readonly property QtObject proxy: typeof deviceStatusListProxyModel === "undefined"
                                      ? null : deviceStatusListProxyModel
    // 0: no kind shown yet, 1: the loudspeaker array, 2: ARX amplifiers.
    property int selectedKind: 0
    readonly property bool ventraFound: proxy ? proxy.isVentraFound : false
    readonly property bool arxFound: proxy ? proxy.isARXFound : false
    readonly property bool reloading: controller ? controller.m_isReloading : false
    // Grows with every new set of slices, so that the counts are asked again.
    property int sliceRevision: 0

    // Text sizes follow the canvas, so the view reads the same on a small
    // panel PC and on a large screen.
    readonly property real fontSize: Math.max(11, Math.min(width, height) * 0.028)
    readonly property real rowHeight: fontSize * 3.4
    readonly property color panelColor: intrf.canvasColor
    readonly property color rowColor: Qt.tint(intrf.canvasColor, "#14808080")
    readonly property color lineColor: intrf.menuLineColor

    anchors.fill: parent
    z: 150
    visible: false
    focus: true

    function selectKind(kind) {
        if (!proxy)
            return
        selectedKind = kind
        if (kind === 1)
            proxy.filterByVentra(true)
        else if (kind === 2)
            proxy.filterByARX(true)
    }

    // Keeps a kind shown: the first that the project has, unless the one
    // picked is still there.
    function chooseKind() {
        if (selectedKind === 1 && ventraFound)
            return
        if (selectedKind === 2 && arxFound)
            return
        if (ventraFound)
            selectKind(1)
        else if (arxFound)
            selectKind(2)
    }

    Connections {
        target: root.proxy
        function onSliceDataChanged() { root.sliceRevision++ }
    }

    onVentraFoundChanged: chooseKind()
    onArxFoundChanged: chooseKind()
    Component.onCompleted: chooseKind()

    Keys.onEscapePressed: {
        if (controller)
            controller.closeDeviceStatusDialog()
    }

    // The panels below take no clicks while the dashboard is open.
    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        onWheel: function(wheel) { wheel.accepted = true }
    }

    Rectangle {
        anchors.fill: parent
        color: root.panelColor
    }

    // Title, last-updated line, refresh and close.
    Rectangle {
        id: header
        objectName: "deviceStatusHeader"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: root.fontSize * 3.2
        color: intrf.toolBarColor

        Rectangle {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: 1
            color: intrf.toolBarShadow
        }

        Text {
            id: titleText
            objectName: "deviceStatusTitle"
            anchors.left: parent.left
            anchors.leftMargin: root.fontSize
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Device Status")
            color: intrf.toolBarTextColor
            font.family: "Helvetica"
            font.bold: true
            font.pixelSize: root.fontSize * 1.3
        }

        Text {
            id: lastUpdated
            objectName: "lastUpdatedText"
            anchors.left: titleText.right
            anchors.leftMargin: root.fontSize * 1.5
            anchors.right: headerButtons.left
            anchors.rightMargin: root.fontSize
            anchors.verticalCenter: parent.verticalCenter
            text: root.controller ? root.controller.m_lastUpdatedTime : ""
            color: intrf.toolBarTextColor
            opacity: 0.8
            font.family: "Helvetica"
            font.pixelSize: root.fontSize * 0.9
            elide: Text.ElideRight
        }

        Row {
            id: headerButtons
            anchors.right: parent.right
            anchors.rightMargin: root.fontSize
            anchors.verticalCenter: parent.verticalCenter
            spacing: root.fontSize * 0.6

            BusyIndicator {
                id: spinner
                objectName: "refreshSpinner"
                anchors.verticalCenter: parent.verticalCenter
                width: root.fontSize * 2.2
                height: width
                running: root.reloading
                visible: root.reloading
            }

            QmlDeviceStatusButton {
                id: refreshButton
                objectName: "refreshButton"
                anchors.verticalCenter: parent.verticalCenter
                fontSize: root.fontSize
                text: qsTr("Refresh")
                enabled: !root.reloading
                onClicked: {
                    if (root.controller)
                        root.controller.refreshDataNow()
                }
            }

            QmlDeviceStatusButton {
                id: closeButton
                objectName: "closeButton"
                anchors.verticalCenter: parent.verticalCenter
                fontSize: root.fontSize
                text: qsTr("Close")
                onClicked: {
                    if (root.controller)
                        root.controller.closeDeviceStatusDialog()
                }
            }
        }
    }

    // The kinds of device, each with its pie.
    Rectangle {
        id: kindPane
        objectName: "kindPane"
        anchors.top: header.bottom
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        width: Math.max(root.fontSize * 14, parent.width * 0.3)
        color: root.rowColor

        Rectangle {
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.right: parent.right
            width: 1
            color: root.lineColor
        }

        Flickable {
            anchors.fill: parent
            anchors.margins: root.fontSize * 0.6
            contentHeight: kindColumn.height
            clip: true
            boundsBehavior: Flickable.StopAtBounds

            Column {
                id: kindColumn
                width: parent.width
                spacing: root.fontSize * 0.6

                QmlDeviceStatusKindTab {
                    id: ventraTab
                    objectName: "ventraTab"
                    width: parent.width
                    visible: root.ventraFound
                    fontSize: root.fontSize
                    title: qsTr("Loudspeaker Array")
                    count: root.sliceRevision >= 0 && root.proxy ? root.proxy.getVentraCount() : "0"
                    slices: root.proxy ? root.proxy.ventraSlices : []
                    revision: root.sliceRevision
                    selected: root.selectedKind === 1
                    onClicked: root.selectKind(1)
                }

                QmlDeviceStatusKindTab {
                    id: arxTab
                    objectName: "arxTab"
                    width: parent.width
                    visible: root.arxFound
                    fontSize: root.fontSize
                    title: qsTr("ARX Amplifiers")
                    count: root.sliceRevision >= 0 && root.proxy ? root.proxy.getARXCount() : "0"
                    slices: root.proxy ? root.proxy.arxSlices : []
                    revision: root.sliceRevision
                    selected: root.selectedKind === 2
                    onClicked: root.selectKind(2)
                }

                Text {
                    objectName: "noDevicesText"
                    width: parent.width
                    visible: !root.ventraFound && !root.arxFound
                    text: root.reloading ? qsTr("Looking for devices...")
                                         : qsTr("This project has no devices to show.")
                    color: intrf.textColor
                    font.family: "Helvetica"
                    font.pixelSize: root.fontSize
                    wrapMode: Text.WordWrap
                }
            }
        }
    }

    // The devices of the kind shown.
    ListView {
        id: deviceList
        objectName: "deviceList"
        anchors.top: header.bottom
        anchors.left: kindPane.right
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: root.fontSize * 0.6
        clip: true
        spacing: root.fontSize * 0.4
        boundsBehavior: Flickable.StopAtBounds
        model: root.proxy
        ScrollBar.vertical: ScrollBar {}

        delegate: QmlDeviceStatusDeviceRow {
            width: deviceList.width - root.fontSize * 0.4
            fontSize: root.fontSize
            rowHeight: root.rowHeight
            rowColor: root.rowColor
            lineColor: root.lineColor
            onToggled: {
                if (root.proxy)
                    root.proxy.updateCollapsePropertyForIndex(root.proxy.index(index, 0))
            }
            onRebootAsked: function(device, title) {
                rebootPopup.ask(device, title)
            }
        }
    }

    QmlDeviceStatusRebootPopup {
        id: rebootPopup
        objectName: "rebootPopup"
        anchors.fill: parent
        fontSize: root.fontSize
        controller: root.controller
    }
}
