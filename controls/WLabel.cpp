#include "WLabel.h"

#include "controls/CControl.h"

#include <QDebug>

WLabel::WLabel(QQuickItem *parent)
    : WWidget(parent)
{
}

WLabel::~WLabel() = default;

bool WLabel::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value) || readFractionAttribute(name, value))
        return true;

    if (name == QLatin1String("text")) {
        setRichText(expandLabel(value));
    } else if (name == QLatin1String("align")) {
        int alignment = Qt::AlignLeft;
        if (value.compare(QLatin1String("center"), Qt::CaseInsensitive) == 0)
            alignment = Qt::AlignHCenter;
        else if (value.compare(QLatin1String("right"), Qt::CaseInsensitive) == 0)
            alignment = Qt::AlignRight;
        writeAlignment(alignment);
    } else if (name == QLatin1String("face")) {
        // Wraps the text the item holds now, so a face before the text is
        // lost and two faces nest.
        static const struct { const char *face; const char *open; const char *close; } kFaces[] = {
            {"bold", "<b>", "</b>"},
            {"italic", "<i>", "</i>"},
            {"underline", "<u>", "</u>"},
        };
        for (const auto &face : kFaces) {
            if (value == QLatin1String(face.face)) {
                writeText(QLatin1String(face.open) + currentText() + QLatin1String(face.close));
                break;
            }
        }
    } else if (name == QLatin1String("color")) {
        setColorProperty("textColor", value);
    } else if (name == QLatin1String("rotation")) {
        setItemProperty("rotation", value);
    } else if (name == QLatin1String("scale")) {
        setItemProperty("textScale", value.toDouble());
    } else if (name == QLatin1String("edit")) {
        setItemProperty("enableEdit", value == QLatin1String("true"));
    } else if (name == QLatin1String("select")) {
        setItemProperty("selEnable", value == QLatin1String("true"));
    } else if (name == QLatin1String("autosize")) {
        setItemProperty("autoSize", value == QLatin1String("true"));
    } else {
        qDebug().noquote() << "Unexpected value for WLabel attribute name: " + name;
        return false;
    }
    return true;
}

QString WLabel::expandLabel(const QString &value) const
{
    const CControl *pControl = control();
    if (!pControl) {
        qDebug() << "Null parent found when processing WLabel";
        return value;
    }
    QString label = pControl->nodeLabel();
    // Room names carry their group in front: "Group-Lobby" shows "[Lobby".
    const QStringList parts = label.split(QLatin1Char('-'));
    if (parts.size() == 2 && pControl->name() == QLatin1String("Room Name"))
        label = QLatin1Char('[') + parts.at(1);
    QString text = value;
    return text.replace(QLatin1String("*LABEL*"), label);
}

void WLabel::setText(const QString &text)
{
    setRichText(text);
}

void WLabel::setRichText(const QString &text)
{
    writeText(text);
    if (m_holdingBack)
        m_heldRichText = true;
    else
        setItemProperty("textFormat", int(Qt::RichText));
}

void WLabel::beginAttributes()
{
    m_holdingBack = true;
}

void WLabel::endAttributes()
{
    if (!m_holdingBack)
        return;
    m_holdingBack = false;
    // The format first: a text set while the format is still automatic
    // would be laid out as plain text before the rich layout.
    if (m_heldRichText)
        setItemProperty("textFormat", int(Qt::RichText));
    if (m_heldAlignment)
        setItemProperty("horizontalAlignment", m_alignment);
    if (m_heldText)
        setItemProperty("text", m_text);
    m_heldText = m_heldRichText = m_heldAlignment = false;
    m_text.clear();
}

QString WLabel::currentText() const
{
    return m_heldText ? m_text : itemText();
}

void WLabel::writeText(const QString &text)
{
    if (!m_holdingBack) {
        setItemProperty("text", text);
        return;
    }
    m_text = text;
    m_heldText = true;
}

void WLabel::writeAlignment(int alignment)
{
    if (!m_holdingBack) {
        setItemProperty("horizontalAlignment", alignment);
        return;
    }
    m_alignment = alignment;
    m_heldAlignment = true;
}

void WLabel::properties()
{
}

void WLabel::redraw(QQuickItem *pParent)
{
    if (pParent)
        pParent->update();
    else
        qDebug() << "No parent lebel for WLabel";
}
