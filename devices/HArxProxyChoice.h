#pragma once

#include <QString>

class HChassis;

// Where the VDS connection of an ARX amplifier goes. The amplifier's own
// network API does not speak VDS, so the connection is aimed at a proxy:
// the design software on this PC ("vds") or the design's main processor
// when its title carries "(RTC)" ("rtc"); with neither there is no proxy
// ("none"). The choice is stored in the per-user settings, where the QML
// interface shows it.
class HArxProxyChoice
{
public:
    enum class Kind { None, Rtc, Vds };

    struct Decision
    {
        Kind kind = Kind::None;
        // The address the transport is aimed at; empty for Kind::None.
        QString address;
    };

    // Decides for an ARX chassis from its main chassis, the stored or
    // designed PC address and the design's PC-only mark, and stores the
    // decision.
    static Decision decide(const HChassis &chassis);

    // For a chassis that is not an ARX amplifier: clears the stored proxy
    // state, unless the design the chassis belongs to holds an ARX
    // amplifier whose choice must not be undone.
    static void forgetUnlessDesignHasArx(HChassis &chassis);

    // Whether the tree the chassis hangs in (or the chassis alone, when it
    // hangs nowhere) holds an ARX amplifier.
    static bool designHasArx(HChassis &chassis);

    // "none", "rtc" or "vds".
    static QString kindText(Kind kind);
};
