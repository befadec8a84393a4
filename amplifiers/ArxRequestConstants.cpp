#include "amplifiers/ArxRequestConstants.h"

namespace {

QString live(const QString &tail)
{
    return ArxRequestConstants::livePrefix() + tail;
}

QString backupStrategy(int b, const QString &tail)
{
    return live(QStringLiteral("SourceSelection/BackupStrategy/BackupStrategy-") + QString::number(b)
                + tail);
}

QString outputChannel(int c, const QString &tail)
{
    return live(QStringLiteral("OutputProcess/Channels/Channel-") + QString::number(c) + tail);
}

} // namespace

QString ArxRequestConstants::clientIdPrefix()
{
    return QStringLiteral("VRM-");
}

QString ArxRequestConstants::livePrefix()
{
    return QStringLiteral("/Device/Audio/Presets/Live/");
}

QString ArxRequestConstants::tag(ArxRequestGroup group)
{
    switch (group) {
    case ArxRequestGroup::BackupStrategyMode:
        return QStringLiteral("BackupStategyMode");
    case ArxRequestGroup::InputPriorities:
        return QStringLiteral("InputPriorities");
    case ArxRequestGroup::MatrixSelection:
        return QStringLiteral("MatrixSelection");
    case ArxRequestGroup::PilotToneFaults:
        return QStringLiteral("PilotToneFaults");
    case ArxRequestGroup::StandbyOn:
        return QStringLiteral("ID_ARX_SET_STANDBY_TRUE");
    case ArxRequestGroup::StandbyOff:
        return QStringLiteral("ID_ARX_SET_STANDBY_FALSE");
    }
    return QString();
}

QList<ArxRequestGroup> ArxRequestConstants::groups()
{
    return {ArxRequestGroup::BackupStrategyMode, ArxRequestGroup::InputPriorities,
            ArxRequestGroup::MatrixSelection,    ArxRequestGroup::PilotToneFaults,
            ArxRequestGroup::StandbyOn,          ArxRequestGroup::StandbyOff};
}

bool ArxRequestConstants::groupOfTag(const QString &text, ArxRequestGroup *pGroup)
{
    for (ArxRequestGroup group : groups()) {
        if (tag(group) == text) {
            if (pGroup)
                *pGroup = group;
            return true;
        }
    }
    return false;
}

QString ArxRequestConstants::backupStrategyEnablePath(int b)
{
    return backupStrategy(b, QStringLiteral("/Enable/Value"));
}

QString ArxRequestConstants::backupStrategyPilotTonePath(int b)
{
    return backupStrategy(b, QStringLiteral("/PilotTone/Enable/Value"));
}

QString ArxRequestConstants::backupStrategyCustomThresholdPath(int b)
{
    return backupStrategy(b, QStringLiteral("/CustomThresholdSignalDetect/Enable/Value"));
}

QString ArxRequestConstants::routingSourcePath(int c, int s)
{
    return live(QStringLiteral("SourceSelection/RoutingChannel-") + QString::number(c)
                + QStringLiteral("/Src-") + QString::number(s) + QStringLiteral("/Value"));
}

QString ArxRequestConstants::inputMatrixMutePath(int c, int m)
{
    return live(QStringLiteral("InputMatrix/Channels/Channel-") + QString::number(c)
                + QStringLiteral("/Mute-") + QString::number(m) + QStringLiteral("/Value"));
}

QString ArxRequestConstants::pilotToneGeneratorPath(int c)
{
    return outputChannel(c, QStringLiteral("/PilotToneGenerator/Enable/Value"));
}

QString ArxRequestConstants::pilotTonePath(int c)
{
    return outputChannel(c, QStringLiteral("/PilotTone/Enable/Value"));
}

QString ArxRequestConstants::loadMonitorPath(int c)
{
    return outputChannel(c, QStringLiteral("/LoadMonitor/Enable/Value"));
}

QString ArxRequestConstants::nominalImpedancePath(int c)
{
    return outputChannel(c, QStringLiteral("/NominalImpedance/Enable/Value"));
}

QString ArxRequestConstants::standbyPath()
{
    return live(QStringLiteral("Generals/Standby/Value"));
}

QStringList ArxRequestConstants::pathsOf(ArxRequestGroup group)
{
    QStringList paths;
    switch (group) {
    case ArxRequestGroup::BackupStrategyMode:
        for (int b = 0; b < ChannelCount; ++b)
            paths << backupStrategyEnablePath(b) << backupStrategyPilotTonePath(b)
                  << backupStrategyCustomThresholdPath(b);
        break;
    case ArxRequestGroup::InputPriorities:
        for (int c = 0; c < ChannelCount; ++c) {
            for (int s = 0; s < ChannelCount; ++s)
                paths << routingSourcePath(c, s);
        }
        break;
    case ArxRequestGroup::MatrixSelection:
        for (int c = 0; c < ChannelCount; ++c) {
            for (int m = 0; m < ChannelCount; ++m)
                paths << inputMatrixMutePath(c, m);
        }
        break;
    case ArxRequestGroup::PilotToneFaults:
        for (int c = 0; c < ChannelCount; ++c)
            paths << pilotToneGeneratorPath(c) << pilotTonePath(c) << loadMonitorPath(c)
                  << nominalImpedancePath(c);
        break;
    case ArxRequestGroup::StandbyOn:
    case ArxRequestGroup::StandbyOff:
        paths << standbyPath();
        break;
    }
    return paths;
}

QStringList ArxRequestConstants::allPaths()
{
    QStringList paths;
    for (ArxRequestGroup group : groups()) {
        if (group != ArxRequestGroup::StandbyOff)
            paths += pathsOf(group);
    }
    return paths;
}

QStringList ArxRequestConstants::all()
{
    QStringList constants{clientIdPrefix()};
    for (ArxRequestGroup group : groups())
        constants << tag(group);
    return constants + allPaths();
}
