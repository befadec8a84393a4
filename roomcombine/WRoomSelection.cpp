#include "WRoomSelection.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "controls/CPanelHost.h"
#include "devices/HNode.h"
#include "project/XmlWriter.h"

#include <QColor>
#include <QMutexLocker>

namespace {

const QString kUncombined = QStringLiteral("lightgray");

} // namespace

WRoomSelection::WRoomSelection(QQuickItem *parent)
    : WPolygon(parent)
{
}

WRoomSelection::~WRoomSelection()
{
    disconnectNode();
}

void WRoomSelection::setFillColor(const QString &colour, bool applyToNode)
{
    if (colour == m_fillColor)
        return;
    m_fillColor = colour;
    const bool selected = colour != kUncombined;
    if (selected != m_isSelected) {
        m_isSelected = selected;
        emit isSelectedChanged();
    }
    emit fillColorChanged();

    QMutexLocker locker(&m_colourMutex);
    const QColor parsed = QColor::fromString(colour);
    if (applyToNode) {
        setChildColor(parsed, 0, true);
        repaint();
    } else {
        setFieldColor(parsed);
    }
}

bool WRoomSelection::press(double x, double y)
{
    // With no device connected, or with this room's processor off line
    // while others are connected, a click could only mislead: the room
    // would change colour for a command that goes nowhere.
    CPanelHost *pModel = model();
    const QString indicator = pModel ? pModel->getInterfaceProperty(QStringLiteral("connectInd")).toString()
                                     : QString();
    if (indicator.contains(QLatin1String("red")) || !isProcessorOnline())
        return true;
    if (containsPoint(x, y) && node())
        node()->controlClicked();
    return true;
}

bool WRoomSelection::isProcessorOnline() const
{
    // The protocol that sends the room's commands (onSendMessage).
    const PProtocol *pProtocol = protocol();
    return pProtocol && pProtocol->isOnline();
}

void WRoomSelection::setState()
{
    if (HNode *pNode = node())
        setFillColor(pNode->roomColor(0), false);
}

void WRoomSelection::setNode(HNode *pNode)
{
    disconnectNode();
    WPolygon::setNode(pNode);
    if (!pNode)
        return;
    // The room's answers come a turn later than the click that caused
    // them; the group's report may be delivered inside a reply's handling.
    m_nodeConnections = {
        connect(pNode, &HNode::queryResponseReady, this, &WRoomSelection::onQueryResponseReady,
                Qt::QueuedConnection),
        connect(pNode, &HNode::updateRoomColor, this, &WRoomSelection::onUpdateRoomColor,
                Qt::QueuedConnection),
        connect(pNode, &HNode::sendMessage, this, &WRoomSelection::onSendMessage),
        connect(pNode, &HNode::showErrorDialog, this, &WRoomSelection::onShowErrorDialog),
    };
}

void WRoomSelection::release()
{
    disconnectNode();
    WPolygon::release();
}

void WRoomSelection::disconnectNode()
{
    for (const QMetaObject::Connection &connection : std::as_const(m_nodeConnections))
        disconnect(connection);
    m_nodeConnections.clear();
}

void WRoomSelection::setChildColor(const QColor &colour, int childIndex, bool noRepaint)
{
    if (childIndex != 0 || !item())
        return;
    setItemProperty("fillColor", colour.name(QColor::HexArgb));
    if (!noRepaint)
        repaint();
}

bool WRoomSelection::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value))
        return true;
    if (name == QLatin1String("path") || name == QLatin1String("fieldcolor"))
        return true;
    if (name == QLatin1String("selectedOpacity")) {
        m_selectedOpacity = value.toFloat();
        emit selectedOpacityChanged();
        return true;
    }
    if (name == QLatin1String("unselectedOpacity")) {
        m_unselectedOpacity = value.toFloat();
        emit unselectedOpacityChanged();
        return true;
    }
    return WPolygon::readAttribute(name, value);
}

void WRoomSelection::writeAttributes(XmlWriter &writer) const
{
    if (!item())
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    writer.writeTextElement(QStringLiteral("bordercolor"), colourText(itemProperty("borderColor")));
    writer.writeFloatElement(QStringLiteral("borderwidth"), double(itemProperty("borderWidth").toFloat()));
    writer.writeTextElement(QStringLiteral("polygon"), vertexText(vertices()));
    writer.writeFloatElement(QStringLiteral("selectedOpacity"), double(m_selectedOpacity));
    writer.writeFloatElement(QStringLiteral("unselectedOpacity"), double(m_unselectedOpacity));
    writer.writeEndElement(typeName());
}

void WRoomSelection::onQueryResponseReady()
{
    setState();
}

void WRoomSelection::onUpdateRoomColor(const QString &color, int roomID)
{
    Q_UNUSED(roomID);
    setFillColor(color, false);
}

void WRoomSelection::onSendMessage(const QString &message, int roomID)
{
    Q_UNUSED(roomID);
    PProtocol *pProtocol = protocol();
    TTransform *pTransform = transform();
    if (!pProtocol || !pTransform || message.isEmpty())
        return;
    pTransform->setText(message);
    pProtocol->sendValue(pTransform);
}

void WRoomSelection::onShowErrorDialog(const QString &message, int roomID)
{
    Q_UNUSED(roomID);
    CPanelHost *pModel = model();
    if (!pModel || !pModel->getInterface())
        return;
    pModel->showWarningBox(tr("Room Combine Failure"), message);
}
