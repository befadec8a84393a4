#pragma once

#include <QString>

// A text of the QObject translation context that readers compare attribute
// and class names with, once per element. It is looked up once and again
// only after a translator was installed, removed or reloaded, so reading a
// design costs no lookup per element. Off the main thread, or with no
// application, each call translates afresh.
class TranslatedText
{
public:
    explicit TranslatedText(const char *sourceText);

    QString text() const;

private:
    const char *m_sourceText;
    mutable QString m_text;
    mutable quint64 m_generation = 0; // 0: never looked up
};
