#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include "comms/PProtocol.h"

class DeviceStatusInterfaceFeatureDisplayObject;
class DeviceStatusInterfaceVentraModuleObject;
class HChassis;
class TText;

// The status of one device as the dashboard shows it: the loudspeaker array
// or one ARX amplifier. requestStatus() asks the device through its
// protocol; the answers become a network state (DeviceNetworkState) and a
// list of feature rows, and interfaceObjectDataReady() says the device is
// done, exactly once per refresh, whatever the device answers or fails to.
//
// The object's parent is the chassis it describes. It owns the array's
// requests (and its module objects, which own theirs) and drops them at
// every reset; an ARX amplifier's requests belong to its protocol. Rows
// stay children of this object after a reset, since a view may still hold
// them.
class DeviceStatusInterfaceObject : public QObject
{
    Q_OBJECT

public:
    // The device kinds (DeviceStatusDeviceType).
    enum Kind { Other = 0, Ventra = 1, Arx = 2 };
    // Which table decodeModuleCode() reads.
    enum ModuleCodeKind { FaultCode, WarningCode };

    // Command ids of the requests this object sends.
    static constexpr int StatusCommandId = 1;
    static constexpr int VentraRebootCommandId = 34;
    static constexpr int ArxRebootCommandId = 2;

    explicit DeviceStatusInterfaceObject(QObject *parent = nullptr);
    ~DeviceStatusInterfaceObject() override;

    // The status object of a chassis, a child of it: its kind, protocol
    // (the ARX one for an amplifier), label and address.
    static DeviceStatusInterfaceObject *createFor(HChassis *pChassis);

    // "Ventra" and "ARX" (exact case) pick their kind; anything else is Other.
    void setDeviceType(const QString &type);
    int kind() const { return m_kind; }
    int deviceType() const { return m_kind; }

    PProtocol *protocol() const { return m_pProtocol.data(); }
    void setProtocol(PProtocol *pProtocol) { m_pProtocol = pProtocol; }
    QString address() const { return m_address; }
    void setAddress(const QString &address) { m_address = address; }
    // The chassis's label.
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    // The dashboard row's expanded state; false at construction.
    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded) { m_expanded = expanded; }

    // --- Result of the current refresh -------------------------------------
    int networkState() const { return m_networkState; }
    QString networkStateName() const;
    QString networkStateColor() const;
    QString statusMessage() const;
    QString statusImage() const;
    // In the order made; the list models sort the array's rows by order.
    QList<DeviceStatusInterfaceFeatureDisplayObject *> rows() const { return m_rows; }
    QList<DeviceStatusInterfaceVentraModuleObject *> modules() const { return m_modules; }
    int moduleCount() const { return int(m_modules.size()); }
    // "Module Count: n" for the array with modules; empty otherwise.
    QString secondaryText() const;
    // Some module reported firmware older than 1.56 (or none readable).
    bool isFirmwareOld() const { return m_firmwareOld; }
    QString firmwareVersion() const { return m_firmwareVersion; }

    // --- Operations --------------------------------------------------------
    // Starts a refresh: reset, then the first request. A device that cannot
    // be asked reports in a later turn of the event loop, so a caller that
    // connects after this call still hears it.
    void requestStatus();
    // The array's reboot command, or an amplifier's standby cycle; answered
    // by deviceRebooted(). A device of another kind or without a protocol
    // answers deviceRebooted(false) at once.
    void reboot();
    // Back to "Connecting" with nothing asked: pending requests and module
    // objects dropped, every connection of this object's signals dropped,
    // rows and modules emptied.
    void reset();

    // Merges a state into the current one and returns the previous one.
    // The graver (lower) state wins over a set one; an amplifier's Standby
    // sticks.
    int mergeNetworkState(int state);
    // The state a failed request stands for: "Device Unreachable" for the
    // network error, "Unknown Status" for anything else.
    static int errorState(const QString &errorText);
    // The reply without its echo of the request, trimmed; unchanged when it
    // does not start with the request.
    static QString stripEcho(const QString &reply, const QString &request);
    // "45C / 113F".
    static QString temperatureText(int celsius);
    // A module's fault or warning status code as a row; false (and no row)
    // for "0".
    bool decodeModuleCode(int module, ModuleCodeKind kind, const QString &code);

    // --- Row makers (each appends and returns the row) -----------------------
    DeviceStatusInterfaceFeatureDisplayObject *addIndicatorRow(const QString &name, int color,
                                                                int order);
    DeviceStatusInterfaceFeatureDisplayObject *addTextRow(const QString &name, const QString &value,
                                                           int order);
    DeviceStatusInterfaceFeatureDisplayObject *addWarningTextRow(const QString &name,
                                                                  const QString &value,
                                                                  const QString &explanation,
                                                                  int order);
    // Gray for "0", else yellow with the state merged to Standby.
    DeviceStatusInterfaceFeatureDisplayObject *addStandbyRow(const QString &name,
                                                              const QString &value, int order);
    // An error-shaped row (display type error) with its code and explanation.
    DeviceStatusInterfaceFeatureDisplayObject *addErrorRow(const QString &name, int color, int order,
                                                            const QString &errorCode,
                                                            const QString &explanation);
    DeviceStatusInterfaceFeatureDisplayObject *addHeaderRow(const QString &name, int order);
    // Moves a row made here to a position of the list (clamped).
    void moveRow(DeviceStatusInterfaceFeatureDisplayObject *pRow, int position);

signals:
    void interfaceObjectDataReady();
    void deviceRebooted(bool isSuccess);

public slots:
    void onModuleObjectDataReady();
    void responseReceivedForTransform();

private:
    friend class DeviceStatusVentraDecoder;
    friend class DeviceStatusArxDecoder;

    DeviceStatusInterfaceFeatureDisplayObject *appendRow(int type, const QString &name, int order);
    TText *makeRequest(int id, const QString &text = QString());
    void sendArrayRequest(TText *pText);
    // Reports in a later turn, unless a reset came first.
    void reportLater();
    void report();
    void onArxAnswer(TText *pText);
    bool isCurrentRequest(const QObject *pSender) const;

    // The device-level requests of the current refresh (the array's second
    // batch); the array's other requests are in m_arrayRequests.
    QList<QPointer<TText>> m_requests;
    bool m_expanded = false;
    QList<DeviceStatusInterfaceVentraModuleObject *> m_modules;
    QString m_address;
    QString m_name;
    // Not owned; guarded, as the chassis may drop it first.
    QPointer<PProtocol> m_pProtocol;
    QList<DeviceStatusInterfaceFeatureDisplayObject *> m_rows;
    int m_networkState = 0;
    int m_kind = Other;
    bool m_firmwareOld = false;
    QString m_firmwareVersion;
    int m_modulesAnswered = 0;
    int m_deviceReplies = 0;
    int m_presetReplies = 0;
    int m_presetRequests = 0;
    bool m_presetCheckDone = false;
    bool m_faultPresent = false;
    bool m_presetErrorReported = false;
    bool m_moduleCountErrorReported = false;

    // Every array request of the round this object owns (array query,
    // preset, reboot) but the device-level batch.
    QList<QPointer<TText>> m_arrayRequests;
    // An amplifier's requests of this round; the protocol owns them.
    QList<QPointer<TText>> m_arxRequests;
    // Counts the refreshes, so that a report scheduled for an earlier one
    // is dropped.
    quint64 m_round = 0;
    bool m_reported = false;
};
