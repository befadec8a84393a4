#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class IDevice;
class PProtocol;
class QHostAddress;

// The transport of one device. The base class is also the null transport:
// it never connects and swallows what it is given, so a device without a
// usable connection still has an object to talk to.
//
// A protocol hands its command bytes to send() with a send type, the text
// the reply must begin with and a time-out; replies and failures come back
// through the owner protocol, never through the result of send().
class IInterface : public QObject
{
    Q_OBJECT

public:
    // How a message is sent and what answer is awaited.
    enum MessageType {
        SendWaitAck = 0,   // queued; the reply must be the acknowledge byte
        SendWaitReply = 1, // queued; the reply must begin with the expected text
        SendNoReply = 2,   // queued; done once written
        SendDirect = 3,    // written at once, past the queue
        SendBatch = 4,     // queued; several requests in one datagram
    };
    Q_ENUM(MessageType)

    // One queued message.
    struct Message
    {
        int type = SendNoReply;
        QByteArray data;
        QByteArray expectedReply;
        int timeoutMs = 0;
    };

    explicit IInterface(QObject *parent = nullptr);
    ~IInterface() override;

    virtual bool open();
    virtual bool close();
    virtual void startConnection();
    virtual void stopConnection();
    // Queues or writes length bytes of data. Returns the bytes written for
    // SendDirect, 0 otherwise.
    virtual int send(const char *data, int length, int messageType, const char *expectedReply,
                     int timeoutMs);
    virtual bool waitForWrite(int ms);
    virtual void notifyState();
    virtual QString stateText() const;
    virtual void dump() const;
    virtual QString typeName() const;
    virtual QString address() const;
    virtual void setAddress(const QHostAddress &address);
    virtual void setPort(int port);
    virtual int connectionState() const;
    virtual void setOwner(PProtocol *pOwner);
    virtual bool hasSubscriptionState() const;
    virtual void notifyOwner();
    virtual bool isSubscribed() const;
    virtual void setSubscribed(bool subscribed);
    virtual void startHostStatusTimer();
    // False for a transport that has no connection to report (UDP, a
    // transport that goes nowhere): the connection indicator does not wait
    // for it.
    virtual bool hasConnectionState() const;
    // For a transport without a connection to report, the link by which
    // its device is reached instead, which the indicator counts; null when
    // there is none.
    virtual IInterface *deviceLink();

    PProtocol *owner() const;
    bool isConnected() const { return m_isConnected; }
    int failureCount() const { return m_failureCount; }
    int connectWaitMs() const { return m_connectWaitMs; }

    // The device this transport belongs to; set by the chassis that made it.
    void setChassis(IDevice *pChassis) { m_pChassis = pChassis; }
    IDevice *chassis() const { return m_pChassis; }
    // True for the transport of an ARX amplifier, whose network API has no
    // level lists: the TCP client then drops every "GL" request instead of
    // sending it.
    bool dropsLevelRequests() const;

signals:
    void interfaceStateChanged(bool isConnected);
    void connectionClose();

protected:
    // Stores the connected flag and announces a change.
    void setConnected(bool connected);

    QPointer<PProtocol> m_pOwner;
    bool m_isConnected = false;
    int m_failureCount = 0;
    int m_connectWaitMs = 100;

private:
    IDevice *m_pChassis = nullptr;
};
