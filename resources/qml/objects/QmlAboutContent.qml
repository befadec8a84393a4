import QtQuick

// The About layout: product logo, version text and maker logo in a column,
// spaced to fill the height it is given.
Item {
    id: about

    property string text: ""

    readonly property bool landscape: width > height
    readonly property real logoWidth: Math.max(0, Math.min(width - 10, landscape ? 200 : 300))
    readonly property real makerWidth:
        Math.max(0, Math.min(width * 0.33, (height - productLogo.height - versionText.height) / 3))
    readonly property real freeHeight:
        Math.max(0, height - productLogo.height - versionText.height - makerLogo.height)
    readonly property real bottomSpace: freeHeight * 3 / 24
    readonly property real upperSpace: (freeHeight - bottomSpace) / 3

    function heightFor(image, width) {
        return image.sourceSize.width > 0 ? width * image.sourceSize.height / image.sourceSize.width : 0
    }

    Column {
        width: about.width

        Item {
            width: 1
            height: about.upperSpace
        }

        Image {
            id: productLogo
            objectName: "productLogo"
            anchors.horizontalCenter: parent.horizontalCenter
            width: about.logoWidth
            height: about.heightFor(productLogo, width)
            source: intrf.vrmLogo
            fillMode: Image.PreserveAspectFit
            smooth: true
        }

        Item {
            width: 1
            height: about.upperSpace
        }

        Text {
            id: versionText
            objectName: "versionText"
            width: about.width
            text: about.text
            color: intrf.textColor
            font.family: "Helvetica"
            font.pixelSize: Math.max(1, intrf.dialogTextSize - 2)
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
        }

        Item {
            width: 1
            height: about.upperSpace
        }

        Image {
            id: makerLogo
            objectName: "makerLogo"
            anchors.horizontalCenter: parent.horizontalCenter
            width: about.makerWidth
            height: about.heightFor(makerLogo, width)
            source: intrf.halvernLogo
            fillMode: Image.PreserveAspectFit
            smooth: true
        }

        Item {
            width: 1
            height: about.bottomSpace
        }
    }
}
