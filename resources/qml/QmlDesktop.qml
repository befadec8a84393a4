import QtQuick
import QtQuick.Controls
import "objects"

// The desktop frame: an upper tool row, the control area in which the
// panels' widgets appear, and a lower status row. The rows are separate QML
// files so that a panel file can choose them (or none, with "?").
Canvas {
    id: root
    objectName: "QmlCanvas"

    property string topRow: intrf.topRow
    property string bottomRow: intrf.bottomRow
    property bool topLoad: false
    property bool botLoad: false
    property Item topObject: null
    property Item botObject: null

    readonly property string minToolBarPath: "qrc:/qml/objects/QmlMinToolBarObject.qml"

    // Called by the model (its resetCanvas signal).
    function resetCanvas() {
        topRow = intrf.topRow
        bottomRow = intrf.bottomRow
    }

    // Called by the model (its reloadCanvas signal).
    function reloadCanvas() {
        loadTopRow()
        loadBottomRow()
    }

    function createRow(path, area) {
        if (path === "?")
            return null
        var component = Qt.createComponent(path)
        if (component.status !== Component.Ready) {
            console.warn("Error creating component at: " + path + component.errorString())
            return null
        }
        return component.createObject(area, { "canvas": root })
    }

    function loadTopRow() {
        if (topObject) {
            var previous = topObject
            topObject = null
            previous.destroy()
        }
        topObject = createRow(topRow, topArea)
        topLoad = topObject !== null
    }

    function loadBottomRow() {
        if (botObject) {
            var previous = botObject
            botObject = null
            previous.destroy()
        }
        botObject = createRow(bottomRow, bottomArea)
        botLoad = botObject !== null
        // Rows made later stack above earlier ones; the small tool row and a
        // top row without a status row are made again to come out on top.
        if (topRow === minToolBarPath || bottomRow === "?")
            loadTopRow()
    }

    function notifyResize() {
        if (width > 0 && height > 0)
            intrf.canvasResize()
    }

    onWidthChanged: notifyResize()
    onHeightChanged: notifyResize()

    Component.onCompleted: {
        intrf.setObject("QmlCanvas", root)
        loadTopRow()
        loadBottomRow()
    }

    Item {
        id: topArea
        objectName: "topArea"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: root.topObject ? root.height * root.topObject.ratio : 0
    }

    QmlControlObject {
        id: controlArea
        anchors.top: topArea.bottom
        anchors.bottom: bottomArea.top
        anchors.left: parent.left
        anchors.right: parent.right
    }

    Item {
        id: bottomArea
        objectName: "bottomArea"
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        height: root.botObject ? root.height * root.botObject.ratio : 0
    }

    // Shown while receive mode waits for a project: the program closes it
    // when the transfer ends, the operator rejects it to cancel.
    Dialog {
        id: receiveBox
        objectName: "receiveBox"

        property string text: "Default text"

        title: "Default title"
        font.family: "Helvetica"
        modal: true
        anchors.centerIn: parent
        standardButtons: Dialog.Cancel

        Label {
            text: receiveBox.text
            font.family: "Helvetica"
            wrapMode: Text.WordWrap
        }

        onRejected: intrf.receiveDialogCanceled()
    }

    Connections {
        target: intrf
        // The receive box is opened by the program itself, not through QML,
        // so showReceiveDialog needs no handler here.
        function onCloseReceiveDialog() {
            receiveBox.close()
        }
    }
}
