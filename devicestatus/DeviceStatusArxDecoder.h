#pragma once

#include <QString>

struct ArxChannelStatus;
struct ArxDeviceStatus;
struct ArxStatusEntry;
class DeviceStatusInterfaceObject;

// Turns an ARX amplifier's status record into its device object's rows and
// network state: the device-wide rows, then one block per output channel,
// with the summary rows ("Warning", "Fault", "Amplifier clip", "Amplifier
// Limit") placed ahead of the channel blocks. The rows stay in the order
// made; the dashboard does not sort an amplifier's rows.
class DeviceStatusArxDecoder
{
public:
    // Channels of a complete status record.
    static constexpr int Channels = 4;

    explicit DeviceStatusArxDecoder(DeviceStatusInterfaceObject *pDevice);

    void decode(const ArxDeviceStatus &status);

private:
    void decodeDevice(const ArxDeviceStatus &status);
    void decodeChannel(const ArxDeviceStatus &status, int channel);
    void decodeInputs(const ArxDeviceStatus &status, const ArxStatusEntry &entry);
    void faultRow(const QString &name, const QString &explanation);
    void warningRow(const QString &name, const QString &explanation);
    // A summary row at the insertion point, ahead of the channel blocks.
    void insertSummary(const QString &name, int color);
    void markClip();
    void markLimit();

    DeviceStatusInterfaceObject *m_pDevice;
    int m_insertAt = 0;
    bool m_fault = false;
    bool m_warning = false;
    bool m_clipShown = false;
    bool m_limitShown = false;
};
