import QtQuick
import wframe

// A framed area of a panel. The native WFrame sets the colours and border.
Rectangle {
    id: frame

    // The skin lives in the view's context; widgets made elsewhere (tests,
    // previews) fall back to the light skin's values.
    readonly property var skin: typeof intrf !== "undefined" ? intrf : null

    property color fieldColor: skin ? skin.fieldColor : "#C0231F20"
    property color borderColor: skin ? skin.borderColor : "#A8AAAD"
    property real borderWidth: 0.5
    property bool hasBorder: true

    width: 200
    height: 200
    z: 1
    visible: false
    color: fieldColor
    radius: skin ? skin.controlRadius : 5
    border.width: Math.max(1, borderWidth * (skin ? skin.pixelScale : 1.0))
    border.color: hasBorder ? borderColor : "transparent"

    // Clicks on a frame must not reach the items under it.
    MouseArea {
        anchors.fill: parent
    }

    resources: WFrame {
        objectName: "widget"
    }
}
