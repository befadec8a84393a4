import QtQuick

// One feature row of a device: a section header, an indicator (name and
// lamp), a text (name and value), or an error or warning with its code and
// explanation.
Item {
    id: feature
    objectName: "featureRow"

    required property string displayType
    required property string displayName
    required property string displayValue
    required property string indicatorColor
    required property string errorCode
    required property string errorDisplayValue

    property real fontSize: 12
    readonly property bool isHeader: displayType === "typeHeader"
    readonly property bool isIndicator: displayType === "typeIndicator"
    readonly property bool isError: displayType === "typeError"
    readonly property bool isWarning: displayType === "typeWarning"
    readonly property bool hasLamp: isIndicator || isError

    height: body.height + fontSize * 0.5

    Column {
        id: body
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: feature.fontSize * 0.1
        topPadding: feature.isHeader ? feature.fontSize * 0.4 : 0

        Item {
            width: parent.width
            height: Math.max(nameText.height, feature.fontSize * 1.2)

            Rectangle {
                id: lamp
                objectName: "featureLamp"
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                visible: feature.hasLamp
                width: feature.hasLamp ? feature.fontSize * 0.8 : 0
                height: width
                radius: width / 2
                color: feature.indicatorColor
                border.color: Qt.darker(feature.indicatorColor, 1.4)
            }

            Text {
                id: nameText
                objectName: "featureName"
                anchors.left: lamp.right
                anchors.leftMargin: feature.hasLamp ? feature.fontSize * 0.5 : 0
                anchors.right: valueText.left
                anchors.rightMargin: feature.fontSize * 0.5
                anchors.verticalCenter: parent.verticalCenter
                text: feature.errorCode.length > 0
                      ? feature.displayName + " (" + feature.errorCode + ")" : feature.displayName
                color: feature.isWarning ? "#f0541e" : intrf.textColor
                font.family: "Helvetica"
                font.bold: feature.isHeader || feature.isError
                font.pixelSize: feature.isHeader ? feature.fontSize : feature.fontSize * 0.9
                elide: Text.ElideRight
            }

            Text {
                id: valueText
                objectName: "featureValue"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: feature.isHeader || feature.isIndicator ? "" : feature.displayValue
                color: intrf.textColor
                font.family: "Helvetica"
                font.pixelSize: feature.fontSize * 0.9
            }
        }

        Text {
            objectName: "featureExplanation"
            visible: text.length > 0 && (feature.isError || feature.isWarning)
            width: parent.width
            leftPadding: feature.fontSize * 1.3
            text: feature.errorDisplayValue
            color: intrf.textColor
            opacity: 0.8
            font.family: "Helvetica"
            font.pixelSize: feature.fontSize * 0.8
            wrapMode: Text.WordWrap
        }
    }
}
