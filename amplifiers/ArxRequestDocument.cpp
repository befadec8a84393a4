#include "amplifiers/ArxRequestDocument.h"

QString ArxRequestDocument::readAction()
{
    return QStringLiteral("READ");
}

QString ArxRequestDocument::writeAction()
{
    return QStringLiteral("WRITE");
}

QJsonObject ArxRequestDocument::readItem(const QString &path)
{
    return QJsonObject{{QStringLiteral("id"), path}};
}

QJsonObject ArxRequestDocument::boolWriteItem(const QString &path, bool value)
{
    const QJsonObject data{{QStringLiteral("type"), QStringLiteral("BOOL")},
                           {QStringLiteral("boolValue"), value}};
    return QJsonObject{{QStringLiteral("id"), path}, {QStringLiteral("data"), data}};
}

QJsonObject ArxRequestDocument::floatWriteItem(const QString &path, double value)
{
    const QJsonObject data{{QStringLiteral("type"), QStringLiteral("FLOAT")},
                           {QStringLiteral("floatValue"), value}};
    return QJsonObject{{QStringLiteral("id"), path}, {QStringLiteral("data"), data}};
}

QJsonDocument ArxRequestDocument::build(const QJsonArray &values, const QString &action,
                                        const QString &clientId)
{
    const QJsonObject actionObject{{QStringLiteral("type"), action}, {QStringLiteral("values"), values}};
    const QJsonObject payload{{QStringLiteral("type"), QStringLiteral("ACTION")},
                              {QStringLiteral("action"), actionObject}};
    return QJsonDocument(
        QJsonObject{{QStringLiteral("clientId"), clientId}, {QStringLiteral("payload"), payload}});
}

QJsonDocument ArxRequestDocument::forGroup(ArxRequestGroup group)
{
    const QString clientId = ArxRequestConstants::clientIdPrefix() + ArxRequestConstants::tag(group);
    QJsonArray values;
    switch (group) {
    case ArxRequestGroup::StandbyOn:
    case ArxRequestGroup::StandbyOff:
        values.append(boolWriteItem(ArxRequestConstants::standbyPath(),
                                    group == ArxRequestGroup::StandbyOn));
        return build(values, writeAction(), clientId);
    case ArxRequestGroup::BackupStrategyMode:
    case ArxRequestGroup::InputPriorities:
    case ArxRequestGroup::MatrixSelection:
    case ArxRequestGroup::PilotToneFaults:
        break;
    }
    for (const QString &path : ArxRequestConstants::pathsOf(group))
        values.append(readItem(path));
    return build(values, readAction(), clientId);
}
