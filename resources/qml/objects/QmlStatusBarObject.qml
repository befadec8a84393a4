import QtQuick

// The lower row: page arrows at both ends, the scene title (which opens the
// scene menu) and one dot per page of the scene.
Item {
    id: statusBar
    objectName: "statusBar"

    // Height of the row as a fraction of the canvas height.
    property real ratio: intrf.statusBarHeightRatio
    // The desktop canvas, on which the scene menu opens.
    property Item canvas: null

    anchors.fill: parent

    function updateSizes() {
        intrf.statusBarArrowHeight = height * 0.375
        intrf.statusBarTextSize = height * 0.3125
    }

    onHeightChanged: updateSizes()
    Component.onCompleted: updateSizes()

    Rectangle {
        anchors.fill: parent
        color: intrf.statusBarColor
    }

    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: 1
        color: intrf.statusBarShadow
    }

    Rectangle {
        id: leftArrow
        objectName: "leftArrow"
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: height
        color: leftMouse.pressed ? intrf.accentColor : "transparent"

        Image {
            anchors.centerIn: parent
            height: intrf.statusBarArrowHeight
            width: height * 0.574
            source: intrf.leftArrow
            smooth: true
        }

        MouseArea {
            id: leftMouse
            anchors.fill: parent
            onPressed: intrf.postCommand("event", "leftarrow")
        }
    }

    Rectangle {
        id: rightArrow
        objectName: "rightArrow"
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: height
        color: rightMouse.pressed ? intrf.accentColor : "transparent"

        Image {
            anchors.centerIn: parent
            height: intrf.statusBarArrowHeight
            width: height * 0.574
            source: intrf.rightArrow
            smooth: true
        }

        MouseArea {
            id: rightMouse
            anchors.fill: parent
            onPressed: intrf.postCommand("event", "rightarrow")
        }
    }

    Item {
        id: middle
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.leftMargin: statusBar.height * 1.5
        anchors.rightMargin: statusBar.height * 1.5

        Item {
            id: titleArea
            objectName: "sceneTitleArea"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: parent.height * 0.6

            Text {
                objectName: "sceneTitle"
                anchors.fill: parent
                text: intrf.sceneTitle
                color: intrf.statusBarTextColor
                font.family: "Helvetica"
                font.pixelSize: Math.max(1, intrf.statusBarTextSize)
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }

            MouseArea {
                anchors.fill: parent
                onPressed: {
                    if (sceneMenu.enabled)
                        sceneMenu.popup()
                }
            }
        }

        Item {
            id: dotStrip
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            height: parent.height * 0.4

            Row {
                objectName: "pageDots"
                anchors.centerIn: parent
                spacing: 10

                Repeater {
                    model: intrf.pageCount

                    Rectangle {
                        required property int index
                        width: dotStrip.height * 0.4375
                        height: width
                        radius: width / 2
                        color: index === intrf.pageIndex ? intrf.accentColor : intrf.pageInActive
                    }
                }
            }
        }
    }

    QmlPopupMenu {
        id: sceneMenu
        objectName: "sceneMenu"
        parent: statusBar.canvas ? statusBar.canvas : statusBar
        model: sceneMenuData
        title: "Collections"
        command: "scene"
    }
}
