#include "WFrame.h"

WFrame::WFrame(QQuickItem *parent)
    : WWidget(parent)
{
}

WFrame::~WFrame() = default;

bool WFrame::readAttribute(const QString &name, const QString &value)
{
    // A frame has no id, link, fractions or title: those names fall through.
    if (!item())
        return false;
    if (processRect(name, value))
        return true;
    if (name == QLatin1String("shape") || name == QLatin1String("shadow"))
        return true;
    if (name == QLatin1String("fieldcolor")) {
        setColorProperty("fieldColor", value);
        return true;
    }
    if (name == QLatin1String("bordercolor")) {
        setColorProperty("borderColor", value);
        return true;
    }
    if (name == QLatin1String("borderwidth")) {
        setItemProperty("borderWidth", value.toDouble());
        return true;
    }
    if (name == QLatin1String("hasBorder")) {
        setItemProperty("hasBorder", value.toInt() != 0);
        return true;
    }
    return false;
}
