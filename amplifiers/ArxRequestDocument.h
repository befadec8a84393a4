#pragma once

#include "amplifiers/ArxRequestConstants.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

// The JSON documents posted to an ARX amplifier's REST endpoint:
//
//     {"clientId": <client id>,
//      "payload": {"type": "ACTION",
//                  "action": {"type": "READ" | "WRITE", "values": [...]}}}
//
// A READ item is {"id": path}; a WRITE item also carries "data", the value's
// type and the member that type names ("BOOL" with "boolValue", "FLOAT"
// with "floatValue").
class ArxRequestDocument
{
public:
    static QString readAction();  // "READ"
    static QString writeAction(); // "WRITE"

    static QJsonObject readItem(const QString &path);
    static QJsonObject boolWriteItem(const QString &path, bool value);
    static QJsonObject floatWriteItem(const QString &path, double value);

    // The envelope around the values, under the client id as it stands.
    static QJsonDocument build(const QJsonArray &values, const QString &action,
                               const QString &clientId);
    // The ARX protocol's request of one group: READ of the group's paths,
    // or the standby write, under "VRM-" + the group's tag.
    static QJsonDocument forGroup(ArxRequestGroup group);
};
