#pragma once

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// Reads the reply documents of an ARX amplifier's REST endpoint:
//
//     {"clientId": <the request's client id>,
//      "payload": {"action": {"values": [{"id": path, "data": {...}}, ...]}}}
//
// Every check writes its warning to the debug output and gives an empty
// result; nothing here trusts a member to have the kind it should.
class ArxReply
{
public:
    // The values list, or an empty one (with its warning) when a member is
    // missing or of the wrong kind, or the list is empty.
    static QJsonArray values(const QJsonObject &root);
    // The text after "VRM-" of the client id; false when the client id is
    // no text or lacks the prefix (not one of the protocol's replies).
    static bool tagOf(const QJsonObject &root, QString *pTag);

    // A JSON value read as the amplifier means it: a bool, or a number
    // (non-zero is true) from firmware that answers 0/1; anything else is
    // false.
    static bool boolOf(const QJsonValue &value);
    // A number (truncated, held within int's range) or a bool as 1/0;
    // anything else is 0.
    static int intOf(const QJsonValue &value);
    // A number; anything else is 0.
    static double doubleOf(const QJsonValue &value);

    // The values of one reply, looked up by id: the first item with the id
    // counts. An id the reply does not list reads as false or 0, with the
    // warning "ID not found!".
    explicit ArxReply(const QJsonArray &values);
    bool boolValue(const QString &path) const;
    int intValue(const QString &path) const;
    bool contains(const QString &path) const { return m_data.contains(path); }

private:
    QJsonValue member(const QString &path, const QString &name) const;

    QHash<QString, QJsonObject> m_data;
};
