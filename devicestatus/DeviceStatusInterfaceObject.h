#pragma once

#include <QObject>
#include <QString>

class PProtocol;

// The status of one device as the dashboard shows it.
class DeviceStatusInterfaceObject : public QObject
{
    Q_OBJECT

public:
    enum Kind { Other = 0, Ventra = 1, Arx = 2 };

    explicit DeviceStatusInterfaceObject(QObject *parent = nullptr);
    ~DeviceStatusInterfaceObject() override;

    // "Ventra" and "ARX" (exact case) pick their kind; anything else is Other.
    void setDeviceType(const QString &type);
    int kind() const { return m_kind; }

    PProtocol *protocol() const { return m_pProtocol; }
    void setProtocol(PProtocol *pProtocol) { m_pProtocol = pProtocol; }
    QString address() const { return m_address; }
    void setAddress(const QString &address) { m_address = address; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

private:
    PProtocol *m_pProtocol = nullptr;
    QString m_address;
    QString m_name;
    int m_kind = Other;
};
