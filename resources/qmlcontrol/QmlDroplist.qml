import QtQuick
import wdroplist

// A drop list on a panel: the current choice as text beside an arrow. A
// click makes the pop-up list and hands it to the native WDropList, which
// lays it over the canvas, fills it and closes it again. The native side
// writes "currentIndex" and "currentText"; nothing here sends a choice.
Rectangle {
    id: droplist

    // The skin lives in the view's context; lists made elsewhere (tests,
    // previews) fall back to the light skin with the blue accent.
    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property int currentIndex: -1
    property string currentText: ""
    property bool hasBorder: true
    property int horizontalAlignment: Text.AlignLeft
    // A group's list of names, as the native side last set it.
    property var model: []

    readonly property string popupPath: "qrc:/qml/objects/QmlPopupList.qml"
    readonly property color textColor: skin ? skin.textColor : "#231F20"

    function openPopup() {
        var component = Qt.createComponent(popupPath)
        if (component.status !== Component.Ready) {
            console.warn("Error creating component at: " + popupPath + " " + component.errorString())
            return
        }
        // Made under this item; the native side moves it to the canvas.
        var popup = component.createObject(droplist)
        if (popup)
            core.popupList(popup)
    }

    width: 150
    height: 30
    z: 1
    visible: false
    radius: skin ? skin.controlRadius : 5
    color: skin ? skin.toolBarColor : "#F6F6F6"
    border.width: hasBorder ? Math.max(1, skin ? skin.pixelScale : 1) : 0
    border.color: skin ? skin.borderColor : "#A8AAAD"

    Text {
        objectName: "currentText"
        anchors.left: parent.left
        anchors.right: arrow.left
        anchors.leftMargin: droplist.height * 0.3
        anchors.rightMargin: droplist.height * 0.15
        anchors.verticalCenter: parent.verticalCenter
        text: droplist.currentText
        color: droplist.textColor
        font.family: "Helvetica"
        font.pixelSize: Math.max(1, droplist.height * 0.45)
        horizontalAlignment: droplist.horizontalAlignment
        elide: Text.ElideRight
    }

    Image {
        id: arrow
        objectName: "arrow"
        anchors.right: parent.right
        anchors.rightMargin: droplist.height * 0.2
        anchors.verticalCenter: parent.verticalCenter
        height: droplist.height * 0.5
        width: height
        source: droplist.skin ? droplist.skin.downArrow : "qrc:/images/skins/Accent/Blue/arrow_down.png"
        fillMode: Image.PreserveAspectFit
        smooth: true
    }

    MouseArea {
        objectName: "opener"
        anchors.fill: parent
        onClicked: droplist.openPopup()
    }

    resources: WDropList {
        id: core
        objectName: "widget"
    }
}
