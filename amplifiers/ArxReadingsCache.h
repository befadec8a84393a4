#pragma once

#include <QJsonObject>
#include <QString>

// The latest readings of an ARX amplifier's meter feed as the status
// request needs them: the last "meters" object and the last "slows" object,
// and whether each came since the feed last broke.
//
// Readings are missing until the first readings frame and again after a
// feed error; a disconnection forgets both objects, so the next status
// request waits for fresh ones.
class ArxReadingsCache
{
public:
    // One text frame of the feed. Only socket.io event frames ("42[")
    // are read; others are ignored without a word. A frame whose JSON is
    // not an event with an object payload holding an object "readings"
    // leaves the cache as it was and writes its warning. Returns whether
    // the frame carried readings.
    bool takeMessage(const QString &message);
    // A feed error: readings are missing until the next readings frame.
    void takeError(const QString &errorText);
    // A disconnection: both objects and the error text are forgotten.
    void forget();

    bool readingsMissing() const { return m_readingsMissing; }
    bool metersReceived() const { return m_metersReceived; }
    bool slowsReceived() const { return m_slowsReceived; }
    bool complete() const { return m_metersReceived && m_slowsReceived; }
    const QJsonObject &meters() const { return m_meters; }
    const QJsonObject &slows() const { return m_slows; }
    QString lastError() const { return m_lastError; }

private:
    bool m_readingsMissing = true;
    bool m_metersReceived = false;
    bool m_slowsReceived = false;
    QJsonObject m_meters;
    QJsonObject m_slows;
    QString m_lastError;
};
