#include "amplifiers/ArxReadingsCache.h"

#include "amplifiers/ArxEventDocument.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>

bool ArxReadingsCache::takeMessage(const QString &message)
{
    // A socket.io event packet: "4" (message), "2" (event), then the array.
    if (!message.startsWith(QLatin1String("42[")))
        return false;
    // The beginning of the JSON text, for the warnings.
    const QString json = message.mid(2, 1024);
    QJsonParseError error;
    const QJsonDocument document = ArxEventDocument::parse(message, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        qWarning().noquote() << "Invalid JSON Received from WebSocket: " + json;
        return false;
    }
    const QJsonArray event = document.array();
    if (event.size() < 2 || !event.at(1).isObject()) {
        qWarning().noquote() << "Unexpected JSON structure obtained from WebSocket: " + json;
        return false;
    }
    const QJsonObject body = event.at(1).toObject();
    const QJsonValue payload = body.value(QStringLiteral("payload"));
    if (payload.isUndefined()) {
        qWarning().noquote() << "WebSocket JSON does not have payload member: " + json;
        return false;
    }
    if (!payload.isObject()) {
        qWarning().noquote() << "WebSocket payload member is not an object: " + json;
        return false;
    }
    const QJsonValue readings = payload.toObject().value(QStringLiteral("readings"));
    if (readings.isUndefined()) {
        qWarning().noquote() << "WebSocket payload does not contain readings member: " + json;
        return false;
    }
    if (!readings.isObject()) {
        qWarning() << "WebSocket readings member is not an object.";
        return false;
    }
    m_readingsMissing = false;
    const QJsonObject readingsObject = readings.toObject();
    const QJsonValue meters = readingsObject.value(QStringLiteral("meters"));
    if (meters.isObject()) {
        m_meters = meters.toObject();
        m_metersReceived = true;
    }
    const QJsonValue slows = readingsObject.value(QStringLiteral("slows"));
    if (slows.isObject()) {
        m_slows = slows.toObject();
        m_slowsReceived = true;
    }
    return true;
}

void ArxReadingsCache::takeError(const QString &errorText)
{
    m_readingsMissing = true;
    m_metersReceived = false;
    m_slowsReceived = false;
    m_lastError = errorText;
}

void ArxReadingsCache::forget()
{
    m_metersReceived = false;
    m_slowsReceived = false;
    m_meters = QJsonObject();
    m_slows = QJsonObject();
    m_lastError.clear();
}
