#include "WComboSelection.h"

#include "controls/CControl.h"
#include "devices/HNode.h"
#include "project/XmlWriter.h"

namespace {

// What an unbound selector shows: the combination colours but one.
const QStringList kPreviewColours = {"crimson", "orange", "yellow", "lime", "skyblue", "orchid", "sienna"};

} // namespace

WComboSelection::WComboSelection(QQuickItem *parent)
    : WWidget(parent)
    , m_comboColors(kPreviewColours)
{
    emit comboColorsChanged();
}

WComboSelection::~WComboSelection() = default;

int WComboSelection::selectedIndex() const
{
    const HNode *pNode = node();
    return pNode ? pNode->selectedCombo() : 0;
}

void WComboSelection::setSelectedIndex(int index)
{
    selectorClicked(index);
}

void WComboSelection::initialize(QQuickItem *pItem)
{
    Q_UNUSED(pItem);
}

void WComboSelection::destroy()
{
}

void WComboSelection::setState()
{
}

void WComboSelection::linkValue(WWidget *pSource)
{
    Q_UNUSED(pSource);
}

void WComboSelection::setNode(HNode *pNode)
{
    WWidget::setNode(pNode);
    if (pNode)
        onUpdateComboColorList();
}

void WComboSelection::setControl(CControl *pControl)
{
    WWidget::setControl(pControl);
    if (pControl)
        pControl->expandMinimumSize(MinimumWidth, MinimumHeight);
}

void WComboSelection::onUpdateComboColorList()
{
    if (HNode *pNode = node()) {
        m_comboColors = pNode->combos();
        emit comboColorsChanged();
    }
}

QString WComboSelection::getComboColor(int index) const
{
    if (index < 0 || index >= m_comboColors.size())
        return QStringLiteral("lightgray");
    return m_comboColors.at(index);
}

void WComboSelection::selectorClicked(int index)
{
    // A swatch that is not there selects nothing: the group would join
    // rooms to a combination it does not have.
    if (index < 0 || index >= m_comboColors.size())
        return;
    HNode *pNode = node();
    if (!pNode)
        return;
    pNode->setSelectedCombo(index);
    emit selectedIndexChanged();
}

bool WComboSelection::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value) || readIdAttribute(name, value) || readFractionAttribute(name, value))
        return true;
    if (name == QLatin1String("sideMargins")) {
        m_sideMargins = value.toInt();
        emit sideMarginsChanged();
        return true;
    }
    return false;
}

void WComboSelection::writeAttributes(XmlWriter &writer) const
{
    if (!item())
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    writer.writeIntElement(QStringLiteral("sideMargins"), m_sideMargins);
    writer.writeEndElement(typeName());
}
