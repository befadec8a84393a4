#include "WAttributeBatch.h"

#include "controls/WWidget.h"

namespace {
// Panel files are read on the GUI thread only.
WAttributeBatch *s_pCurrent = nullptr;
} // namespace

WAttributeBatch::WAttributeBatch()
    : m_pOuter(s_pCurrent)
{
    s_pCurrent = this;
}

WAttributeBatch::~WAttributeBatch()
{
    s_pCurrent = m_pOuter;
    for (const QPointer<WWidget> &pWidget : std::as_const(m_widgets)) {
        if (pWidget)
            pWidget->endAttributes();
    }
}

void WAttributeBatch::endAttributes(WWidget *pWidget)
{
    if (!pWidget)
        return;
    if (s_pCurrent)
        s_pCurrent->m_widgets.append(pWidget);
    else
        pWidget->endAttributes();
}
