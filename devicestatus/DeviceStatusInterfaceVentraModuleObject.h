#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class PProtocol;
class TText;

// One loudspeaker module of the array: sends the module's status requests
// (fault, warning, driver faults, firmware, four temperatures) in one batch
// and reports once every one of them was answered. It owns its requests;
// the array's device object reads their answers after every module has
// reported.
class DeviceStatusInterfaceVentraModuleObject : public QObject
{
    Q_OBJECT

public:
    // Modules 1..3 have requests; a higher number has none.
    static constexpr int MaxModules = 3;

    DeviceStatusInterfaceVentraModuleObject(int moduleNumber, PProtocol *pProtocol,
                                            const QString &address, const QString &name,
                                            QObject *parent = nullptr);
    ~DeviceStatusInterfaceVentraModuleObject() override;

    // The command ids of a module's requests in sending order: fault
    // status, warning status, driver faults, firmware version, then the
    // four temperature sensors. Empty outside 1..MaxModules.
    static QList<int> commandIds(int moduleNumber);

    // Builds the requests and sends them in one batch. False when there is
    // nothing to send or the protocol refused the batch; the module then
    // never reports.
    bool start();
    // Disconnects the requests and hands them to deferred deletion.
    void dropRequests();

    int moduleNumber() const { return m_moduleNumber; }
    int replyCount() const { return m_replyCount; }
    // In the order of commandIds().
    QList<TText *> requests() const;
    QString address() const { return m_address; }
    QString name() const { return m_name; }

signals:
    void moduleObjectDataReady();

public slots:
    void responseReceivedForTransform();

private:
    int m_moduleNumber = 0;
    PProtocol *m_pProtocol = nullptr;
    int m_replyCount = 0;
    // Guarded: a request dropped at a reset may still be deleted before us.
    QList<QPointer<TText>> m_requests;
    QString m_address;
    QString m_name;
    bool m_reported = false;
};
