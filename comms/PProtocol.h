#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class IInterface;
class MModel;
class TTransform;

// The base of the device protocols. A protocol owns no socket: it turns a
// control's transform into command bytes for its transport and takes the
// transport's replies back through onDataReceived() and onReplyTimeout().
// The base class sends nothing and accepts nothing.
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
    virtual QString protocolName() const;
    virtual void setInterface(IInterface *pInterface);
    virtual void setModel(MModel *pModel);
    // Forget the device's subscriptions after the connection was renewed.
    virtual void resetSubscriptions();
    virtual bool isSubscribed() const;
    virtual void requestMeterStatus(TTransform *pTransform);
    virtual QString interfaceAddress() const;

    IInterface *transport() const;
    MModel *model() const { return m_pModel; }

    // True while the transport is connected.
    bool isOnline() const;
    // Pauses the model's polling for one full period; called before a set.
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
};
