#pragma once

#include <QCoreApplication>
#include <QTranslator>

// A translator that knows one context only: every text asked for in it comes
// back in brackets, every other text is left to the next translator. With
// it installed a test sees which texts were translated in which context.
class MarkingTranslator : public QTranslator
{
public:
    explicit MarkingTranslator(const char *context)
        : m_context(context)
    {
        QCoreApplication::installTranslator(this);
    }
    ~MarkingTranslator() override { QCoreApplication::removeTranslator(this); }

    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, m_context) != 0)
            return QString();
        return QLatin1Char('[') + QString::fromUtf8(sourceText) + QLatin1Char(']');
    }

private:
    const char *m_context;
};
