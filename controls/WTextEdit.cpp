#include "WTextEdit.h"

#include "comms/PProtocol.h"
#include "comms/TTransform.h"

#include <QDebug>

WTextEdit::WTextEdit(QQuickItem *parent)
    : WWidget(parent)
{
}

WTextEdit::~WTextEdit() = default;

void WTextEdit::initialize(QQuickItem *pItem)
{
    Q_UNUSED(pItem);
}

void WTextEdit::destroy()
{
}

void WTextEdit::setCanvasItem(QQuickItem *pCanvasItem)
{
    Q_UNUSED(pCanvasItem);
}

bool WTextEdit::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    return processRect(name, value) || readIdAttribute(name, value)
           || readFractionAttribute(name, value);
}

void WTextEdit::onTextChanged()
{
    qDebug().noquote().nospace() << "WTextEdit::onTextChanged: " << m_text;
    // Our own write of a linked value must not go back to the device.
    if (isUpdating())
        return;
    const QString text = itemText();
    if (text != m_text) {
        TTransform *pTransform = transform();
        PProtocol *pProtocol = protocol();
        if (pTransform && pProtocol) {
            pTransform->setText(text);
            pProtocol->sendValue(pTransform);
        }
        m_text = text;
    }
    passLinkValue(this);
}

void WTextEdit::outputCurrentText(const QString &text)
{
    if (text != m_text)
        m_text = text;
    passLinkValue(this);
}

void WTextEdit::linkValue(WWidget *pSource)
{
    TTransform *pTransform = transform();
    if (pSource == this || !pTransform)
        return;
    const QString displayText = pTransform->displayText();
    if (displayText == m_text)
        return;
    if (item()) {
        setUpdating(true);
        setItemProperty("text", displayText);
        setUpdating(false);
    }
    passLinkValue(pSource);
}
