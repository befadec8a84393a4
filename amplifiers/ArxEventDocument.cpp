#include "amplifiers/ArxEventDocument.h"

#include <QStringView>

#include <utility>

namespace {

// The frame parsed last, until its second reader takes it. Holding the
// text keeps its characters from being freed, so the same address and
// length are the same frame.
struct LastFrame
{
    QString message;
    QJsonDocument document;
    QJsonParseError error{};
};

LastFrame &lastFrame()
{
    static LastFrame s_last;
    return s_last;
}

} // namespace

QJsonDocument ArxEventDocument::parse(const QString &message, QJsonParseError *pError)
{
    LastFrame &last = lastFrame();
    if (!last.message.isNull() && message.constData() == last.message.constData()
        && message.size() == last.message.size()) {
        if (pError)
            *pError = last.error;
        const QJsonDocument document = std::move(last.document);
        last = LastFrame();
        return document;
    }
    if (!message.startsWith(QLatin1String("42["))) {
        if (pError)
            *pError = QJsonParseError{0, QJsonParseError::IllegalValue};
        return QJsonDocument();
    }
    last.message = message;
    last.document = QJsonDocument::fromJson(QStringView(message).mid(2).toUtf8(), &last.error);
    if (pError)
        *pError = last.error;
    return last.document;
}
