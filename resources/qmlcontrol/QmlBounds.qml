import QtQuick
import wframe

// The invisible rectangle that marks a panel's extent.
Rectangle {
    width: 200
    height: 200
    z: 1
    visible: false
    color: "transparent"
    border.color: "transparent"

    resources: WFrame {
        objectName: "widget"
    }
}
