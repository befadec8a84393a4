#pragma once

#include <QJsonDocument>
#include <QJsonParseError>
#include <QString>

// The JSON of one socket.io event frame of an ARX amplifier's feed
// ("42[...]", read from its "[" on). Every frame goes to two readers one
// after the other, the protocol's readings cache and the meter model; the
// second is handed the document the first one parsed, so that a frame is
// parsed once.
class ArxEventDocument
{
public:
    // The document and, in pError, the outcome as QJsonDocument::fromJson
    // gives them. A frame that does not begin with "42[" is no event: an
    // empty document with an error.
    static QJsonDocument parse(const QString &message, QJsonParseError *pError = nullptr);
};
