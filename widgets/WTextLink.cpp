#include "WTextLink.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"
#include "devices/TranslatedText.h"

#include <QDebug>

WTextLink::WTextLink(QQuickItem *parent)
    : WButton(parent)
{
}

WTextLink::~WTextLink() = default;

namespace {

const TranslatedText &buttonKind()
{
    static const TranslatedText s_text(QT_TRANSLATE_NOOP("QObject", "Button"));
    return s_text;
}

} // namespace

void WTextLink::destroy()
{
    qDebug() << "WTextLink::destroy";
}

void WTextLink::setCanvasItem(QQuickItem *pCanvasItem)
{
    Q_UNUSED(pCanvasItem);
}

bool WTextLink::readAttribute(const QString &name, const QString &value)
{
    if (name == QLatin1String("text")) {
        if (item() && node()) {
            setItemProperty("text", value == QLatin1String("?") ? node()->label() : value);
            setItemProperty("hasText", true);
        }
    } else if (name == QLatin1String("index")) {
        if (item() && node())
            setIndex(node()->index());
    } else if (name == QLatin1String("paramidx")) {
        if (item()) {
            bool ok = false;
            const int number = value.toInt(&ok);
            setIndex(ok ? number : 0);
        }
    } else if (name == QLatin1String("scale")) {
        setItemProperty("hasText", true);
        setItemProperty("hasImage", false);
    } else if (name == QLatin1String("buttonmode")) {
        setItemProperty("buttonMode", value == buttonKind().text());
    } else {
        return WButton::readAttribute(name, value);
    }
    return true;
}

void WTextLink::setIndex(qint32 index)
{
    m_index = index;
    setItemProperty("index", index);
}

void WTextLink::setState()
{
    TTransform *pTransform = transform();
    // A reply that is no number names no link.
    if (!item() || !pTransform || !pTransform->replyIsNumber())
        return;
    setOutputEnabled(false);
    m_current = qint32(pTransform->replyUIntValue());
    setItemProperty("current", m_current);
    setOutputEnabled(true);
}

bool WTextLink::providesToolTip() const
{
    return true;
}

void WTextLink::release()
{
}

void WTextLink::outputClicked()
{
    TTransform *pTransform = transform();
    PProtocol *pProtocol = protocol();
    if (!item() || !pTransform || !pProtocol || !isOutputEnabled())
        return;
    // A link that was never given an index has nothing to select.
    if (m_index < 0)
        return;
    pTransform->setUIntValue(quint32(m_index));
    pProtocol->sendValue(pTransform);
}
