#pragma once

#include <QList>
#include <QPointer>

class WWidget;

// While one exists, widgets whose element has been read wait with the item
// writes they held back, and make them, in the order their elements ended,
// when it goes. The panel reader keeps one for a whole file: a rich-text
// layout between two item creations costs far more than the same layouts
// made one after the other. Batches nest; each finishes its own widgets.
class WAttributeBatch
{
public:
    WAttributeBatch();
    ~WAttributeBatch();
    WAttributeBatch(const WAttributeBatch &) = delete;
    WAttributeBatch &operator=(const WAttributeBatch &) = delete;

    // Ends the widget's attributes now, or when the current batch goes.
    static void endAttributes(WWidget *pWidget);

private:
    QList<QPointer<WWidget>> m_widgets;
    WAttributeBatch *m_pOuter = nullptr;
};
