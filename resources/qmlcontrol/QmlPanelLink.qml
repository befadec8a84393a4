import QtQuick
import wpanellink

// A text or picture that the operator clicks to open another panel.
Rectangle {
    id: link

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property string text: ""
    property real textSize: 12
    property string imagePath: ""
    property bool imageValid: false
    property real imageSize: 1.0
    property bool selEnable: true
    property bool hasBorder: false
    property bool keepImageInBounds: false

    width: 75
    height: 20
    z: 1
    visible: false
    enabled: !(skin && skin.editModeEnable)
    color: "transparent"
    radius: height * 0.125
    border.color: hasBorder && skin ? skin.linkInActive : "transparent"

    Text {
        visible: !link.imageValid
        anchors.centerIn: parent
        text: link.text
        color: link.skin ? link.skin.textColor : "#231F20"
        font.pixelSize: Math.max(1, Math.min(link.height * 0.5625,
                                             (link.parent ? link.parent.height : 500) / 5))
    }

    MouseArea {
        anchors.fill: parent
        onClicked: nativeLink.selectPanel()
    }

    resources: [
        // The picture: made by the native WPanelLink only while the link
        // shows one, since most links show their text and a panel holds
        // many of them.
        Component {
            Image {
                anchors.centerIn: parent
                width: link.keepImageInBounds ? link.width : link.height * link.imageSize
                height: link.keepImageInBounds ? link.height : link.height * link.imageSize
                fillMode: Image.PreserveAspectFit
                source: link.imagePath
                asynchronous: true
            }
        },
        WPanelLink {
            id: nativeLink
            objectName: "widget"
        }
    ]
}
