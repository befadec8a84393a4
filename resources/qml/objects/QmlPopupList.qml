import QtQuick

// The entries of a drop list over the whole canvas. A click on an entry
// reports its index through listClick, a click anywhere else -1. The native
// WDropList sets "model" (the texts), "index" (the current entry, shown
// marked) and the parent, and closes the list on either report.
Item {
    id: popup

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property var model: []
    property int index: -1

    signal listClick(int index)

    readonly property int count: model ? model.length : 0
    readonly property real entryHeight: Math.max(24, (skin ? skin.menuTextSize : 12) * 3)
    readonly property real edge: Math.max(1, skin ? skin.pixelScale : 1)

    // The current entry in the middle of the list, when it can be.
    function showCurrent() {
        if (index >= 0 && index < count)
            list.positionViewAtIndex(index, ListView.Center)
    }

    anchors.fill: parent
    z: 100

    onModelChanged: showCurrent()
    onIndexChanged: showCurrent()

    Rectangle {
        anchors.fill: parent
        color: popup.skin ? popup.skin.nullRegionColor : "#50231F20"
    }

    MouseArea {
        objectName: "outside"
        anchors.fill: parent
        onClicked: popup.listClick(-1)
    }

    Rectangle {
        id: box
        objectName: "listBox"
        anchors.centerIn: parent
        width: Math.min(popup.width * 0.8, Math.max(popup.width * 0.35, 240))
        height: Math.min(popup.count * popup.entryHeight, popup.height * 0.8) + 2 * popup.edge
        color: popup.skin ? popup.skin.toolBarColor : "#F6F6F6"
        border.width: popup.edge
        border.color: popup.skin ? popup.skin.borderColor : "#A8AAAD"
        clip: true

        // A click on the box between entries is no click outside.
        MouseArea {
            anchors.fill: parent
        }

        ListView {
            id: list
            objectName: "list"
            anchors.fill: parent
            anchors.margins: popup.edge
            model: popup.model
            boundsBehavior: Flickable.StopAtBounds

            // One text a row, and no more: a long list opens with only the
            // rows in view made. Each row marks itself when it is the
            // current entry: the view's own current index moves to the
            // first row as soon as the model arrives, and would mark it
            // when no entry is current.
            delegate: Text {
                id: entry

                required property int index
                required property string modelData
                readonly property bool current: index === popup.index

                objectName: "entry" + index
                width: ListView.view.width
                height: popup.entryHeight
                leftPadding: popup.entryHeight * 0.4
                rightPadding: popup.entryHeight * 0.4
                verticalAlignment: Text.AlignVCenter
                text: modelData
                color: current ? "#FFFFFF" : (popup.skin ? popup.skin.textColor : "#231F20")
                font.family: "Helvetica"
                font.pixelSize: Math.max(1, popup.entryHeight * 0.4)
                elide: Text.ElideRight

                // Behind the text.
                Rectangle {
                    objectName: "mark"
                    z: -1
                    anchors.fill: parent
                    visible: entry.current
                    color: popup.skin ? popup.skin.accentColor : "#1D98D5"
                }

                TapHandler {
                    onTapped: popup.listClick(entry.index)
                }
            }
        }
    }
}
