#include "WPanelLink.h"

#include "controls/CPanelHost.h"
#include "controls/WOnDemandItem.h"
#include "devices/TranslatedText.h"

WPanelLink::WPanelLink(QQuickItem *parent)
    : WLabel(parent)
{
    m_jumpTimer.setInterval(5);
    m_jumpTimer.setSingleShot(true);
    connect(&m_jumpTimer, &QTimer::timeout, this, &WPanelLink::onJumpTimerTimeout);
}

WPanelLink::~WPanelLink() = default;

void WPanelLink::initialize(QQuickItem *pItem)
{
    WLabel::initialize(pItem);
    if (pItem && !m_pPicture)
        m_pPicture = new WOnDemandItem(pItem, "imageValid", this);
}

namespace {

const TranslatedText &textKind()
{
    static const TranslatedText s_text(QT_TRANSLATE_NOOP("QObject", "Text"));
    return s_text;
}

const TranslatedText &buttonKind()
{
    static const TranslatedText s_text(QT_TRANSLATE_NOOP("QObject", "Button"));
    return s_text;
}

} // namespace

bool WPanelLink::readAttribute(const QString &name, const QString &value)
{
    if (name == QLatin1String("keepImageInBounds")) {
        setItemProperty("keepImageInBounds", true);
    } else if (name == QLatin1String("path")) {
        m_targetPath = value;
    } else if (name == QLatin1String("imagepath")) {
        if (!value.isEmpty())
            setPictureProperty("imagePath", value);
    } else if (name == QLatin1String("imagevalid")) {
        setItemProperty("imageValid", value != textKind().text());
    } else if (name == QLatin1String("buttonmode")) {
        setItemProperty("buttonMode", value == buttonKind().text());
    } else if (name == QLatin1String("hasBorder")) {
        setItemProperty("hasBorder", value.toInt() != 0);
    } else {
        return WLabel::readAttribute(name, value);
    }
    return true;
}

void WPanelLink::setState()
{
}

void WPanelLink::selectPanel()
{
    m_jumpTimer.start();
}

void WPanelLink::onJumpTimerTimeout()
{
    if (CPanelHost *pModel = model())
        pModel->followLink(m_targetPath);
}
