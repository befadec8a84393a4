import QtQuick
import wcomboselection

// One swatch per combination of a room-combining group, in its colour; a
// press selects that combination for the next room click. The native
// WComboSelection keeps the colours and the group node the selection.
Item {
    id: selector

    readonly property var skin: typeof intrf !== "undefined" ? intrf : null
    readonly property int swatchCount: Math.max(1, nativeSelector.count)
    readonly property real spacing: 6

    property bool selEnable: true

    width: 240
    height: 40
    z: 0
    visible: false

    Row {
        id: swatches
        anchors.fill: parent
        anchors.leftMargin: nativeSelector.sideMargins
        anchors.rightMargin: nativeSelector.sideMargins
        spacing: selector.spacing

        Repeater {
            model: nativeSelector.comboColors

            Rectangle {
                objectName: "swatch" + index
                readonly property bool selected: index === nativeSelector.selectedIndex
                width: (swatches.width - selector.spacing * (selector.swatchCount - 1)) / selector.swatchCount
                height: swatches.height
                radius: 4
                color: modelData
                border.width: selected ? 3 : 1
                border.color: selected ? (selector.skin ? selector.skin.textColor : "#231F20")
                                       : (selector.skin ? selector.skin.borderColor : "#A8AAAD")

                MouseArea {
                    anchors.fill: parent
                    onClicked: nativeSelector.selectorClicked(index)
                }
            }
        }
    }

    resources: WComboSelection {
        id: nativeSelector
        objectName: "widget"
    }
}
