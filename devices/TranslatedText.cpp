#include "TranslatedText.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>

namespace {

// Counts the application's language changes. The application sends itself a
// LanguageChange event whenever its translators change; this filter on the
// application sees it before anything else does.
class LanguageWatch : public QObject
{
public:
    explicit LanguageWatch(QCoreApplication *pApp)
        : QObject(pApp)
    {
        pApp->installEventFilter(this);
    }

    static quint64 s_generation;

protected:
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override
    {
        if (pEvent->type() == QEvent::LanguageChange && pWatched == parent())
            ++s_generation;
        return false;
    }
};

quint64 LanguageWatch::s_generation = 1;

// The generation of the current texts, or 0 when they cannot be kept here.
quint64 currentGeneration()
{
    static QPointer<LanguageWatch> s_pWatch;
    QCoreApplication *pApp = QCoreApplication::instance();
    if (!pApp || QThread::currentThread() != pApp->thread())
        return 0;
    if (!s_pWatch || s_pWatch->parent() != pApp) {
        // A new application may carry other translators than the last one.
        ++LanguageWatch::s_generation;
        s_pWatch = new LanguageWatch(pApp);
    }
    return LanguageWatch::s_generation;
}

} // namespace

TranslatedText::TranslatedText(const char *sourceText)
    : m_sourceText(sourceText)
{
}

QString TranslatedText::text() const
{
    const quint64 generation = currentGeneration();
    if (generation == 0)
        return QObject::tr(m_sourceText);
    if (generation != m_generation) {
        m_text = QObject::tr(m_sourceText);
        m_generation = generation;
    }
    return m_text;
}
