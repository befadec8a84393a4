import QtQuick
import wdialer

// The telephone keypad of a telephone block. Six rows of square keys three
// pixels apart: the display, four rows of the keypad and the call row. The
// native WDialer holds the number, the call state and the texts; this item
// draws them and reports the operator's keys through its signals.
Item {
    id: dialer

    signal accept()
    signal backspace()
    signal backspaceHeld()
    signal clear()
    signal end()
    signal callOrEnd(bool doNotSendEnd)
    signal digit(string digit)
    signal digitHeld(string text)
    signal digitHeldFiveSeconds(string text)
    signal directory()
    signal hold()
    signal addCallOrFlash()
    signal endAndAccept()
    signal declineAndStayActive()
    signal holdAndAccept()
    signal adjustHeight(double h)
    signal adjustWidth(double w)

    // The skin lives in the view's context; dialers made elsewhere (tests,
    // previews) fall back to the light skin.
    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    readonly property real gap: 3
    readonly property real keySize: Math.max(0, (width - 2 * gap) / 3)
    readonly property real rowHeight: Math.max(0, (height - 5 * gap) / 6)
    readonly property string keyFolder: "../../images/dialer/" + core.primaryColor + "/"
    // The item's own colour, from the key colour's name.
    readonly property color color: colorOf(core.primaryColor)
    readonly property color textColor: skin ? skin.textColor : "#231F20"

    readonly property int callState: core.dialerState
    readonly property bool isIdle: callState === WDialer.State_HangUp || callState === WDialer.State_OTHER
                                   || callState === WDialer.State_Startup
    readonly property bool isActive: callState === WDialer.State_Active
    readonly property bool isIncoming: callState === WDialer.State_Incoming
                                       || callState === WDialer.State_ActiveIncoming
    readonly property bool isPstn: core.callType === "PSTN"
    readonly property bool isVoip: core.callType === "VoIP"
    // A call key of its own beside an end key that always ends.
    readonly property bool hasSeparateCall: isPstn && core.alwaysShowCallAndEnd

    function colorOf(name) {
        switch (name) {
        case "blue": return "#1D98D5"
        case "green": return "#8BC34A"
        case "pink": return "#E91E63"
        case "red": return "#D32F2F"
        case "white": return "#FAFAFA"
        case "yellow": return "#FFC107"
        }
        return "#000000"
    }

    function rowY(row) {
        return row * (rowHeight + gap)
    }

    width: 3 * 60 + 2 * gap
    height: 6 * 60 + 5 * gap
    z: 1
    visible: false

    // Never narrower than 30 nor lower than 63; while the correction is
    // on, one side follows the other so the keys stay square.
    onWidthChanged: {
        if (width < 30) {
            adjustWidth(30)
            return
        }
        if (core.isAspectRatioCorrectionActive) {
            const wanted = 6 * ((width - 6) / 3) + 15
            if (Math.abs(wanted - height) > 0.01)
                adjustHeight(wanted)
        }
    }
    onHeightChanged: {
        if (height < 63) {
            adjustHeight(63)
            return
        }
        if (core.isAspectRatioCorrectionActive) {
            const wanted = 3 * ((height - 15) / 6) + 6
            if (Math.abs(wanted - width) > 0.01)
                adjustWidth(wanted)
        }
    }

    // --- The display: the caller or the number, then the number or the status.
    Rectangle {
        id: display
        objectName: "display"
        width: dialer.width
        height: dialer.rowHeight
        radius: dialer.skin ? dialer.skin.controlRadius : 5
        color: "transparent"
        border.color: dialer.color
        border.width: Math.max(1, dialer.rowHeight * 0.02)

        // Alone, the first line takes the middle of the display.
        Text {
            objectName: "firstLine"
            x: parent.width * 0.05
            y: secondLine.text === "" ? parent.height * 0.2 : parent.height * 0.08
            width: parent.width * 0.9
            height: parent.height * (secondLine.text === "" ? 0.6 : 0.5)
            text: core.idString !== "" ? core.idString : core.displayText
            color: dialer.textColor
            font.pixelSize: Math.max(1, height * 0.8)
            font.bold: true
            fontSizeMode: Text.Fit
            minimumPixelSize: 6
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
        Text {
            id: secondLine
            objectName: "secondLine"
            x: parent.width * 0.05
            y: parent.height * 0.58
            width: parent.width * 0.9
            height: parent.height * 0.34
            text: core.idString !== "" ? core.displayText : core.statusText
            color: core.secondaryColor
            font.pixelSize: Math.max(1, height * 0.8)
            fontSizeMode: Text.Fit
            minimumPixelSize: 6
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
    }

    // --- The keypad: 1 to 9 give digit when clicked and digitHeld when
    // held; "*", "0" and "#" give digit either way; only 7 reports five
    // seconds of holding.
    Repeater {
        model: [
            { key: "1", text: "1" }, { key: "2", text: "2" }, { key: "3", text: "3" },
            { key: "4", text: "4" }, { key: "5", text: "5" }, { key: "6", text: "6" },
            { key: "7", text: "7" }, { key: "8", text: "8" }, { key: "9", text: "9" },
            { key: "star", text: "*" }, { key: "0", text: "0" }, { key: "pound", text: "#" }
        ]
        delegate: QmlDialerButton {
            required property var modelData
            required property int index
            readonly property bool isNumberKey: index < 9

            objectName: "key_" + modelData.key
            x: (index % 3) * (dialer.keySize + dialer.gap)
            y: dialer.rowY(1 + Math.floor(index / 3))
            width: dialer.keySize
            height: dialer.rowHeight
            folder: dialer.keyFolder
            key: modelData.key

            onClicked: dialer.digit(modelData.text)
            onHeld: {
                if (isNumberKey)
                    dialer.digitHeld(modelData.text)
                else
                    dialer.digit(modelData.text)
            }
            onHeldFiveSeconds: {
                if (modelData.key === "7")
                    dialer.digitHeldFiveSeconds(modelData.text)
            }
        }
    }

    // --- The incoming call covers the keypad.
    QmlDialerFader {
        id: incomingPanel
        objectName: "incomingPanel"
        y: dialer.rowY(1)
        width: dialer.width
        height: dialer.rowY(5) - dialer.gap - y
        shown: dialer.isIncoming
        tint: dialer.color
        fill: dialer.skin ? dialer.skin.canvasColor : "#FFFFFF"
        radius: dialer.skin ? dialer.skin.controlRadius : 5

        Text {
            x: parent.width * 0.05
            y: parent.height * 0.06
            width: parent.width * 0.9
            height: parent.height * 0.2
            text: core.statusText
            color: dialer.textColor
            font.pixelSize: Math.max(1, height * 0.6)
            fontSizeMode: Text.Fit
            minimumPixelSize: 6
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            y: parent.height * 0.35
            spacing: dialer.keySize * 0.4

            // A waiting call is taken with a flash; any other is accepted.
            QmlDialerButton {
                objectName: "key_accept"
                width: dialer.keySize
                height: dialer.keySize
                folder: dialer.keyFolder
                key: "accept"
                onClicked: {
                    if (dialer.callState === WDialer.State_ActiveIncoming)
                        dialer.addCallOrFlash()
                    else
                        dialer.accept()
                }
            }
            QmlDialerButton {
                objectName: "key_decline"
                visible: dialer.isVoip
                width: dialer.keySize
                height: dialer.keySize
                folder: dialer.keyFolder
                key: "decline"
                onClicked: dialer.end()
            }
        }
    }

    // --- The call row: [separate call | hold] [call or end] [backspace | add].
    QmlDialerButton {
        objectName: "key_separateCall"
        visible: dialer.hasSeparateCall
        x: 0
        y: dialer.rowY(5)
        width: dialer.keySize
        height: dialer.rowHeight
        folder: dialer.keyFolder
        key: "call"
        onClicked: dialer.callOrEnd(true)
    }
    QmlDialerButton {
        objectName: "key_hold"
        visible: !dialer.hasSeparateCall && dialer.isActive && dialer.isVoip
        x: 0
        y: dialer.rowY(5)
        width: dialer.keySize
        height: dialer.rowHeight
        folder: dialer.keyFolder
        key: "hold"
        onClicked: dialer.hold()
    }
    QmlDialerButton {
        objectName: "key_call"
        x: dialer.keySize + dialer.gap
        y: dialer.rowY(5)
        width: dialer.keySize
        height: dialer.rowHeight
        folder: dialer.keyFolder
        key: !dialer.hasSeparateCall && dialer.isIdle ? "call" : "end"
        onClicked: {
            if (dialer.hasSeparateCall)
                dialer.end()
            else
                dialer.callOrEnd(false)
        }
    }
    QmlDialerButton {
        objectName: "key_backspace"
        visible: dialer.isIdle && core.displayText !== ""
        x: 2 * (dialer.keySize + dialer.gap)
        y: dialer.rowY(5)
        width: dialer.keySize
        height: dialer.rowHeight
        folder: dialer.keyFolder
        key: "backspace"
        onClicked: dialer.backspace()
        onHeld: dialer.backspaceHeld()
    }
    QmlDialerButton {
        objectName: "key_add"
        visible: dialer.isActive
        x: 2 * (dialer.keySize + dialer.gap)
        y: dialer.rowY(5)
        width: dialer.keySize
        height: dialer.rowHeight
        folder: dialer.keyFolder
        key: dialer.isPstn ? "flash" : "add"
        onClicked: dialer.addCallOrFlash()
    }

    resources: WDialer {
        id: core
        objectName: "widget"
    }
}
