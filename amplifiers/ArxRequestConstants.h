#pragma once

#include <QString>
#include <QStringList>

// The requests the ARX protocol posts, each named by a tag that rides in the
// request's client id ("VRM-" + tag) and comes back in the reply.
enum class ArxRequestGroup {
    BackupStrategyMode, // READ, the 12 backup-strategy switches
    InputPriorities,    // READ, the 16 routing-channel sources
    MatrixSelection,    // READ, the 16 input-matrix mutes
    PilotToneFaults,    // READ, the 16 output-channel check switches
    StandbyOn,          // WRITE standby = true
    StandbyOff,         // WRITE standby = false
};

// The strings shared by everything that talks to an ARX amplifier's REST
// endpoint: the client-id prefix, the six request tags and the 61 parameter
// paths under "/Device/Audio/Presets/Live/". They are protocol texts the
// amplifier matches byte for byte, so they are plain constants, never
// translated (the tag "BackupStategyMode" is spelled as the amplifiers
// expect it).
class ArxRequestConstants
{
public:
    static constexpr int ChannelCount = 4; // c, s, m and b each run 0..3
    static constexpr int GroupCount = 6;
    static constexpr int PathCount = 61;
    // The prefix, the tags and the paths.
    static constexpr int ConstantCount = 1 + GroupCount + PathCount;

    static QString clientIdPrefix(); // "VRM-"
    static QString livePrefix();     // "/Device/Audio/Presets/Live/"

    static QString tag(ArxRequestGroup group);
    // The group a tag names; false when it names none.
    static bool groupOfTag(const QString &tag, ArxRequestGroup *pGroup);
    static QList<ArxRequestGroup> groups();

    // One path each; out-of-range numbers are the caller's fault and give
    // a path no amplifier knows.
    static QString backupStrategyEnablePath(int b);
    static QString backupStrategyPilotTonePath(int b);
    static QString backupStrategyCustomThresholdPath(int b);
    static QString routingSourcePath(int c, int s);
    static QString inputMatrixMutePath(int c, int m);
    static QString pilotToneGeneratorPath(int c);
    static QString pilotTonePath(int c);
    static QString loadMonitorPath(int c);
    static QString nominalImpedancePath(int c);
    static QString standbyPath();

    // The paths a group's request carries, in the order they are sent
    // (replies are read by id, so the order carries no meaning). The
    // standby writes carry the standby path.
    static QStringList pathsOf(ArxRequestGroup group);
    // All 61 paths, each once.
    static QStringList allPaths();
    // The whole set: prefix, tags, paths.
    static QStringList all();
};
