#pragma once

#include "controls/WPolygon.h"

#include <QMetaObject>
#include <QMutex>
#include <QString>

// The native half of one room of a floor plan: an outline bound to a room
// node. A press inside it joins the room to the selected combination or
// splits it off; the room node's group answers with the room's colour and
// the commands, which go to the processor through the control's transform,
// or with a message for the operator, shown in a warning box. The colour
// follows every state report of the room's group.
class WRoomSelection : public WPolygon
{
    Q_OBJECT
    Q_PROPERTY(float selectedOpacity READ selectedOpacity NOTIFY selectedOpacityChanged)
    Q_PROPERTY(float unselectedOpacity READ unselectedOpacity NOTIFY unselectedOpacityChanged)
    Q_PROPERTY(bool isSelected READ isSelected NOTIFY isSelectedChanged)
    // The colour of the room's combination, which the QML item fills the
    // room with while it is selected.
    Q_PROPERTY(QString fillColor READ fillColor NOTIFY fillColorChanged)

public:
    explicit WRoomSelection(QQuickItem *parent = nullptr);
    ~WRoomSelection() override;

    QString fillColor() const { return m_fillColor; }
    bool isSelected() const { return m_isSelected; }
    float selectedOpacity() const { return m_selectedOpacity; }
    float unselectedOpacity() const { return m_unselectedOpacity; }

    // Shows the colour; a room is selected in any colour but "lightgray".
    // With applyToNode the colour goes to the drawn child, else to the
    // field colour.
    void setFillColor(const QString &colour, bool applyToNode);

    // Ignored while no device is connected and while the room's own
    // processor is off line; otherwise a press inside the outline clicks
    // the room node. Always taken.
    bool press(double x, double y) override;
    // The room's colour from its node.
    void setState() override;
    // Follows the room node's answers and its group's reports.
    void setNode(HNode *pNode) override;
    void release() override;
    // The room's fill is the QML item's "fillColor".
    void setChildColor(const QColor &colour, int childIndex, bool noRepaint) override;
    bool readAttribute(const QString &name, const QString &value) override;
    void writeAttributes(XmlWriter &writer) const override;

signals:
    void selectedOpacityChanged();
    void unselectedOpacityChanged();
    void isSelectedChanged();
    void fillColorChanged();

public slots:
    void onQueryResponseReady();
    // The room id is not looked at: the room node passes on its own only.
    void onUpdateRoomColor(const QString &color, int roomID);
    // Sends a non-empty text through the control's transform and the
    // node's protocol.
    void onSendMessage(const QString &message, int roomID);
    void onShowErrorDialog(const QString &message, int roomID);

private:
    void disconnectNode();
    // Whether the protocol that carries the room's commands can send now.
    bool isProcessorOnline() const;

    QString m_fillColor = QStringLiteral("lightgray");
    bool m_isSelected = false;
    float m_selectedOpacity = 0.3f;
    float m_unselectedOpacity = 0.3f;
    // Held while a colour is applied.
    QMutex m_colourMutex;
    QList<QMetaObject::Connection> m_nodeConnections;
};
