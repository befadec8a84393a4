#include "WDelegate.h"

#include "WWidgetFactory.h"

#include <QDateTime>

namespace {
WDelegate *s_pInstance = nullptr;
}

WDelegate::WDelegate()
    : m_idCounter(quint32(QDateTime::currentMSecsSinceEpoch() & 0xFFFFFFFFu))
{
}

WDelegate::~WDelegate()
{
    if (s_pInstance == this)
        s_pInstance = nullptr;
}

WDelegate *WDelegate::instance()
{
    if (!s_pInstance)
        s_pInstance = new WDelegate;
    return s_pInstance;
}

void WDelegate::destroyInstance()
{
    delete s_pInstance;
    s_pInstance = nullptr;
}

void WDelegate::setFactory(WWidgetFactory *pFactory)
{
    m_pFactory.reset(pFactory);
}

quint32 WDelegate::nextId()
{
    // Unsigned: wraps around instead of overflowing.
    return ++m_idCounter;
}
