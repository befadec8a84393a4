#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class IInterface;
class MModel;
class PProtocolHost;
class TTransform;

// The base of the device protocols. A protocol owns no socket: it turns a
// control's transform into command bytes for its transport and takes the
// transport's replies back through onDataReceived() and onReplyTimeout().
// The base class sends nothing and accepts nothing.
//
// What a protocol needs of the application (the polling pause, receive
// mode's box) goes through its host. setModel() hands it the model, whose
// host the application resolves (see PProtocolHost); setHost() gives a host
// directly, as receive mode and the tests do.
class PProtocol : public QObject
{
    Q_OBJECT

public:
    explicit PProtocol(QObject *parent = nullptr);
    ~PProtocol() override;

    // Set command for the transform's value; false when nothing was sent.
    virtual bool sendValue(TTransform *pTransform);
    // Get command for the transform's value; false when nothing was sent.
    virtual bool requestValue(TTransform *pTransform);
    // Several transforms' requests in one message.
    virtual bool sendBatch(const QList<TTransform *> &transforms);
    virtual bool sendFile(const QString &path);
    virtual bool receiveFile(const QString &path);
    // One reply line (or block of data) from the transport. errorText is
    // empty when there is no error.
    virtual bool onDataReceived(const QByteArray &data, const QString &errorText);
    // The transport gave up waiting for the reply that was to begin with
    // expected.
    virtual void onReplyTimeout(const QString &expected);
    // The device refused a message that was sent without waiting for its
    // answer (a set on a subscribed connection).
    virtual void onMessageRefused(const QByteArray &message);
    virtual QString protocolName() const;
    virtual void setInterface(IInterface *pInterface);
    // Stores the model and takes the model's host as the protocol's host.
    virtual void setModel(MModel *pModel);
    virtual void setHost(PProtocolHost *pHost);
    // Forget the device's subscriptions after the connection was renewed.
    virtual void resetSubscriptions();
    virtual bool isSubscribed() const;
    virtual void requestMeterStatus(TTransform *pTransform);
    virtual QString interfaceAddress() const;

    IInterface *transport() const;
    MModel *model() const { return m_pModel; }
    PProtocolHost *host() const { return m_pHost; }

    // True while the transport is connected.
    bool isOnline() const;
    // Pauses the host's polling for one full period; called before a set.
    void releaseModelBusy();
    void dump() const;

public slots:
    virtual bool onOnlineStateChanged(bool online);

signals:
    void onlineStateChanged(bool online);

private:
    // Borrowed: the chassis owns the transport and may hand it to deferred
    // deletion before or after the protocol.
    QPointer<IInterface> m_pInterface;
    MModel *m_pModel = nullptr;
    PProtocolHost *m_pHost = nullptr;
};
