import QtQuick
import wmeterimage

// A meter shown as one of four pictures: grey, green, yellow or orange for
// the colour zone of the level. The native WMeterImage sets "path".
Item {
    id: meterImage

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property string path: ""
    property real imageSize: 1.0
    property real imageOpacity: 1
    property string text: ""

    width: 48
    height: 64
    z: 1
    visible: false

    Image {
        id: picture
        objectName: "picture"
        anchors.top: parent.top
        anchors.horizontalCenter: parent.horizontalCenter
        width: parent.width * Math.max(0, Math.min(meterImage.imageSize, 1))
        height: (parent.height - caption.height) * Math.max(0, Math.min(meterImage.imageSize, 1))
        source: meterImage.path
        opacity: meterImage.imageOpacity
        fillMode: Image.PreserveAspectFit
        smooth: true
    }

    Text {
        id: caption
        objectName: "caption"
        anchors.bottom: parent.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        height: text.length > 0 ? 16 : 0
        text: meterImage.text
        color: meterImage.skin ? meterImage.skin.textColor : "#231F20"
        horizontalAlignment: Text.AlignHCenter
        elide: Text.ElideRight
        font.family: "Helvetica"
        font.pixelSize: 11
    }

    resources: WMeterImage {
        objectName: "widget"
    }
}
