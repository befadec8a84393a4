import QtQuick
import QtQuick.Controls

// A pop-up menu over its parent: a title, the ARX proxy entry, then one entry
// per text of the model. The setup menu ("system") handles its first three
// entries itself, by position, as the entries are translated texts; every
// other choice goes to the program through postCommand.
Item {
    id: menu

    property var model: []
    property string title: ""
    property string command: ""
    // Set by the program to close the modal menu.
    property bool cancel: false

    readonly property int count: model ? model.length : 0
    readonly property real hMargin: width * 0.025
    readonly property real vMargin: width * 0.01875
    readonly property real entryHeight: intrf.menuTextSize * 3
    readonly property real parentWidth: parent ? parent.width : 350
    readonly property real parentHeight: parent ? parent.height : 500
    readonly property bool android: Qt.platform.os === "android"
    property bool titleHeld: false

    anchors.fill: parent
    z: 100
    visible: false
    // A menu with a single entry offers no choice.
    enabled: count > 1

    function popup() {
        if (!enabled)
            return
        titleHeld = false
        visible = true
        cancel = false
        intrf.setObject("ModalObject", menu)
    }

    function hide() {
        if (!visible)
            return
        visible = false
        intrf.setObject("ModalObject", null)
        proxyDialog.close()
        aboutDialog.close()
    }

    function choose(index, text) {
        if (command === "system") {
            if (index === 0) {
                aboutDialog.title = text
                aboutDialog.text = intrf.getVersionText()
                aboutDialog.open()
                return
            }
            if (index === 1) {
                MsgBoxController.showMessageBox(text, intrf.getProjectInfoString())
                return
            }
            if (index === 2) {
                MsgBoxController.showMessageBox(text, intrf.getNetworkStatusString())
                return
            }
        }
        hide()
        intrf.postCommand(command, text)
    }

    function setFullScreen(on) {
        var window = menu.Window.window
        if (window)
            window.visibility = on ? Window.FullScreen : Window.AutomaticVisibility
        intrf.saveFullScreenState(on)
    }

    onCancelChanged: {
        if (cancel)
            hide()
    }

    Component.onCompleted: {
        if (android)
            fullScreenSwitch.checked = intrf.loadFullScreenState()
    }

    Rectangle {
        anchors.fill: parent
        color: intrf.nullRegionColor
    }

    // Takes every click that no entry, title or switch takes.
    MouseArea {
        anchors.fill: parent
        onClicked: menu.hide()
    }

    Rectangle {
        id: box
        objectName: "menuBox"
        anchors.centerIn: parent
        width: menu.width * 0.9
        height: titleBlock.height + menu.entryHeight * menu.count + menu.vMargin
        color: intrf.menuColor

        Column {
            width: box.width

            Column {
                id: titleBlock
                width: parent.width

                Item {
                    width: parent.width
                    height: menu.entryHeight

                    Text {
                        objectName: "menuTitle"
                        anchors.left: parent.left
                        anchors.right: parent.right
                        anchors.leftMargin: menu.hMargin
                        anchors.rightMargin: menu.hMargin
                        anchors.verticalCenter: parent.verticalCenter
                        text: menu.title
                        color: menu.titleHeld ? "blue" : intrf.menuTextColor
                        font.family: "Helvetica"
                        font.pixelSize: Math.max(1, intrf.menuTextSize * 1.25 * 3 / 4)
                        elide: Text.ElideRight
                    }

                    // A long press on the title forgets the stored ARX proxy
                    // address: the way back from a wrong address.
                    MouseArea {
                        anchors.fill: parent
                        pressAndHoldInterval: 3000
                        onPressAndHold: {
                            intrf.clearArxPcIp()
                            menu.titleHeld = true
                        }
                    }
                }

                Item {
                    width: parent.width
                    height: menu.entryHeight
                    visible: menu.android

                    Text {
                        anchors.left: parent.left
                        anchors.leftMargin: menu.hMargin
                        anchors.verticalCenter: parent.verticalCenter
                        text: "Fullscreen"
                        color: intrf.menuTextColor
                        font.family: "Helvetica"
                        font.pixelSize: Math.max(1, intrf.menuTextSize * 3 / 4)
                    }

                    Switch {
                        id: fullScreenSwitch
                        anchors.right: parent.right
                        anchors.rightMargin: menu.hMargin
                        anchors.verticalCenter: parent.verticalCenter
                        onToggled: menu.setFullScreen(checked)
                    }
                }

                QmlMenuListDelegate {
                    objectName: "proxyEntry"
                    width: parent.width
                    height: menu.entryHeight
                    margin: menu.hMargin
                    text: "ARX Proxy..."
                    onClicked: {
                        proxyAddressField.text = intrf.getArxPcIp()
                        proxyDialog.open()
                    }
                }
            }

            Repeater {
                model: menu.model

                QmlMenuListDelegate {
                    required property int index
                    required property string modelData

                    objectName: "menuEntry" + index
                    width: box.width
                    height: menu.entryHeight
                    margin: menu.hMargin
                    text: modelData
                    onClicked: menu.choose(index, modelData)
                }
            }
        }
    }

    Dialog {
        id: aboutDialog
        objectName: "aboutDialog"

        property string text: ""

        modal: true
        anchors.centerIn: parent
        width: menu.parentWidth
        height: menu.parentHeight
        padding: 0
        font.family: "Helvetica"
        // The title is part of the content, so that a click anywhere on the
        // dialog reaches the one area that closes it.
        header: null

        background: Rectangle {
            color: intrf.canvasColor
        }

        contentItem: Item {
            Text {
                id: aboutTitle
                objectName: "aboutTitle"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 8
                text: aboutDialog.title
                color: intrf.textColor
                font.family: "Helvetica"
                font.bold: true
                font.pixelSize: Math.max(1, intrf.dialogTextSize)
                elide: Text.ElideRight
            }

            QmlAboutContent {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: aboutTitle.bottom
                anchors.bottom: parent.bottom
                text: aboutDialog.text
            }

            MouseArea {
                anchors.fill: parent
                onClicked: aboutDialog.close()
            }
        }

        onClosed: menu.hide()
    }

    Dialog {
        id: proxyDialog
        objectName: "proxyDialog"

        // The RTC proxy is found in the design; its address is not typed in.
        property bool rtc: false
        property bool builder: false
        property string notice: ""

        title: "Set ARX PC IP"
        modal: true
        anchors.centerIn: parent
        width: menu.parentWidth
        height: menu.parentHeight
        font.family: "Helvetica"
        standardButtons: rtc ? (Dialog.Ok | Dialog.Cancel) : (Dialog.Save | Dialog.Cancel)

        background: Rectangle {
            color: intrf.canvasColor
        }

        function refresh() {
            rtc = intrf.getProxyType() === "rtc"
            builder = intrf.isBuilder()
            notice = intrf.getProxyInfoMsg()
                    + (rtc ? "" : "\nNote: This will need to be set on each client device.")
            proxyAddressField.text = intrf.getArxPcIp()
        }

        onAboutToShow: refresh()
        // With the RTC proxy there is no address to store: Ok only closes.
        onAccepted: {
            if (!rtc)
                intrf.setArxPcIp(proxyAddressField.text)
        }
        onClosed: menu.hide()

        Column {
            width: parent.width
            topPadding: 25
            spacing: 15

            Text {
                objectName: "proxyNotice"
                width: parent.width
                text: proxyDialog.notice
                color: intrf.textColor
                font.family: "Helvetica"
                font.pixelSize: Math.max(1, intrf.dialogTextSize)
                wrapMode: Text.WordWrap
            }

            TextField {
                id: proxyAddressField
                objectName: "proxyAddressField"
                anchors.horizontalCenter: parent.horizontalCenter
                width: menu.parentWidth < 300 ? menu.parentWidth - 100 : 200
                visible: !proxyDialog.rtc
                placeholderText: "Enter ARX PC IP"
                font.family: "Helvetica"
            }

            Button {
                objectName: "clearProxyButton"
                anchors.horizontalCenter: parent.horizontalCenter
                visible: proxyDialog.builder
                text: "Clear IP Data"
                font.family: "Helvetica"
                onClicked: {
                    intrf.clearArxPcIp()
                    proxyDialog.close()
                }
            }
        }
    }
}
