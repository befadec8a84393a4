#pragma once

#include "amplifiers/ArxChannelStatus.h"
#include "amplifiers/ArxStatusEntry.h"

#include <QList>

// The status of one ARX amplifier as its protocol's status request leaves
// it: the REST reads give the channel list (backup strategies and routing
// channels 0..3) and the output entries; the meter feed's latest "meters"
// and "slows" readings give the rest. A status request that succeeds
// replaces the whole record at once.
struct ArxDeviceStatus
{
    // Four items after a complete read, one per input side.
    QList<ArxChannelStatus> channels;
    // Four entries after a complete read, one per output channel.
    QList<ArxStatusEntry> entries;
    double dspLoad = 0.0;   // meters "dsp_tskmgr"."dsp_load_avg"
    int standby = 0;        // slows "ext_state"."standby"; non-zero: in standby
    bool energySave = false; // slows "conf_slow"."dip_switch_energy_save"
    // slows "ext_state"
    int mains = 0;
    int fan = 0;
    int hardwareFault = 0; // "generic_hw_fault"
    int powerSupply = 0;
    // slows "arm_info_slow"
    double cpuUsage = 0.0;
    double memoryUsage = 0.0;
    double memoryFreeMb = 0.0;
    double diskUsage = 0.0;
    double diskFreeMb = 0.0;
    // slows "ampli": the mean of each element's two channel peaks, element
    // 0 in the first, the last later element in the second.
    int temperature1 = 0;
    int temperature2 = 0;

    void clear() { *this = ArxDeviceStatus(); }
};
