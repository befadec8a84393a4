#include "WAttributeBatch.h"

#include "controls/WWidget.h"

namespace {
// Panel files are read on the GUI thread only.
WAttributeBatch *s_pCurrent = nullptr;
QList<QPointer<WWidget>> *s_pWidgets = nullptr;
} // namespace

WAttributeBatch::WAttributeBatch()
    : m_pOuter(s_pCurrent)
{
    s_pCurrent = this;
    s_pWidgets = &m_widgets;
}

WAttributeBatch::~WAttributeBatch()
{
    s_pCurrent = m_pOuter;
    s_pWidgets = m_pOuter ? &m_pOuter->m_widgets : nullptr;
    for (const QPointer<WWidget> &pWidget : std::as_const(m_widgets)) {
        if (pWidget)
            pWidget->endAttributes();
    }
}

void WAttributeBatch::endAttributes(WWidget *pWidget)
{
    if (!pWidget)
        return;
    if (s_pWidgets && !qEnvironmentVariableIsSet("VR_NOBATCH"))
        s_pWidgets->append(pWidget);
    else
        pWidget->endAttributes();
}
