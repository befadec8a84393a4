import QtQuick
import wimage

// A picture from the project archive, in its control's rectangle or, with a
// background fill mode of 0 or more, filling the whole control area.
Item {
    id: imageItem

    property string path: ""
    property real imageSize: 1.0
    property int backgroundFillMode: 1
    property real imageOpacity: 1
    property int maxCachedImageWidth: 1024
    property bool selEnable: true

    readonly property bool isBackground: backgroundFillMode >= 0
    readonly property bool showsDimensions: path.indexOf("pixelDimensions") >= 0

    width: 200
    height: 200
    z: isBackground ? 0 : 1
    visible: false

    // The native WImage places a background over the parent item and feeds
    // the picture its source and decode width: a panel holds many images,
    // and doing either in script here cost more than the rest of the item.

    Image {
        id: picture
        objectName: "picture"
        anchors.fill: parent
        asynchronous: true
        opacity: imageItem.imageOpacity
        sourceSize.height: imageItem.isBackground && imageItem.backgroundFillMode >= 3
                           && imageItem.backgroundFillMode <= 5 ? imageItem.height / 2 : 0
        fillMode: imageItem.isBackground ? imageItem.backgroundFillMode : Image.PreserveAspectFit
    }

    resources: [
        // The measuring aid: made by the native WImage only while the path
        // asks for it, since most panels hold many pictures and none of them
        // shows it.
        Component {
            Column {
                anchors.centerIn: parent
                spacing: 4

                Text { text: "Width = " + picture.paintedWidth }
                Text { text: "Height = " + picture.paintedHeight }
                Text {
                    text: "The aspect ratio is "
                          + (picture.paintedHeight > 0 ? (picture.paintedWidth / picture.paintedHeight).toFixed(3) : "0.000")
                }
                Text {
                    text: "The inverted aspect ratio is "
                          + (picture.paintedWidth > 0 ? (picture.paintedHeight / picture.paintedWidth).toFixed(3) : "0.000")
                }
                Text { text: "The rectangle below is " + 100 + " x " + 100 + " pixels" }
                Rectangle { width: 100; height: 100; color: "black" }
            }
        },
        WImage {
            id: nativeImage
            objectName: "widget"
        }
    ]
}
