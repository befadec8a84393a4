// Feeds arbitrary datagrams through the loudspeaker array's reply path: the
// UDP client's framing, the dispatcher's reply check with its resends, and
// the protocol's routing of lines and failure tags back to the TTexts.
//
// Per input the protocol goes on line and sends one or two messages chosen
// by the first byte; the rest is cut at 0xFF into pieces, each one datagram
// "from the array" (or, when it starts with 0xFE, from another port), or,
// when it starts with 0xFD, one line with an expected text handed straight
// to the protocol (line and expected text cut at 0x01; a leading 'N', 'U'
// or 'E' in the expected text puts that failure tag in front). After each
// piece the dispatcher takes a step, as its tick would.
//
// At the end the protocol goes off line, which must leave every request
// answered exactly once; anything else aborts.

#include "amplifiers/PVentraProtocol.h"
#include "comms/IUDPClient.h"
#include "comms/IUDPClientThread.h"
#include "comms/ReplyTags.h"
#include "comms/TText.h"

#include <QCoreApplication>
#include <QHash>
#include <QHostAddress>
#include <QUdpSocket>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &)
{
}

// Where the client's requests go: a socket nobody reads but this target,
// so no one else's port on this machine is ever written to.
QUdpSocket *arraySocket()
{
    static QUdpSocket *pSocket = [] {
        auto *p = new QUdpSocket;
        p->bind(QHostAddress(QHostAddress::LocalHost), 0);
        return p;
    }();
    return pSocket;
}

void drainArraySocket()
{
    QUdpSocket *pSocket = arraySocket();
    while (pSocket->hasPendingDatagrams())
        pSocket->readDatagram(nullptr, 0);
}

// The request sets: module batches, device batches, single requests, a
// repeated request and the two text commands.
const std::vector<std::vector<int>> kRequestSets = {
    {9, 12, 15, 18, 21, 22, 23, 24},
    {4, 5, 2, 6, 7, 8},
    {9},
    {18},
    {9, 9, 12},
    {33, 65},
    {35, 65, 45},
    {1},
};

struct Requests
{
    TText *make(int id)
    {
        texts.push_back(std::make_unique<TText>());
        TText *pText = texts.back().get();
        pText->setCommandId(id);
        pText->setText(id == 33 ? QStringLiteral("5") : QStringLiteral("1 5"));
        QObject::connect(pText, &TTransform::replyValueReady, pText,
                         [this, pText]() { ++answers[pText]; });
        return pText;
    }

    std::vector<std::unique_ptr<TText>> texts;
    QHash<const TText *, int> answers;
};

void sendSet(PVentraProtocol &protocol, Requests &requests, int set, bool asBatch)
{
    const std::vector<int> &ids = kRequestSets[size_t(set) % kRequestSets.size()];
    if (asBatch && ids.size() > 1) {
        QList<TTransform *> batch;
        for (int id : ids)
            batch.append(requests.make(id));
        if (!protocol.sendBatch(batch))
            std::abort();
        return;
    }
    for (int id : ids) {
        if (!protocol.sendValue(requests.make(id)))
            std::abort();
    }
}

QString expectedWithTag(QByteArray expected)
{
    QString tag;
    if (!expected.isEmpty()) {
        switch (expected.at(0)) {
        case 'N':
            tag = ReplyTags::nackReceived();
            break;
        case 'U':
            tag = ReplyTags::unknownReceived();
            break;
        case 'E':
            tag = ReplyTags::networkError();
            break;
        default:
            break;
        }
        if (!tag.isEmpty())
            expected.remove(0, 1);
    }
    return tag + QString::fromUtf8(expected);
}

// One protocol and client for the whole run: each input starts by going on
// line and ends by going off line, the way the program resets them, and
// nothing else outlives an input. (A client per input would start and end
// a thread each time, which costs more than the input itself.)
struct Rig
{
    Rig()
    {
        client.setAddress(QHostAddress(QHostAddress::LocalHost));
        client.setPort(arraySocket()->localPort());
        client.setOwner(&protocol);
        protocol.setInterface(&client);
    }

    PVentraProtocol protocol;
    IUDPClient client;
};

Rig *rig()
{
    static Rig *pRig = new Rig;
    return pRig;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    qInstallMessageHandler(quiet);
    rig();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const quint8 mode = data[0];
    const QByteArray input(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    drainArraySocket();

    const QHostAddress array(QHostAddress::LocalHost);
    const quint16 arrayPort = arraySocket()->localPort();
    PVentraProtocol &protocol = rig()->protocol;
    IUDPClient &client = rig()->client;
    IUDPClientThread *pDispatcher = client.dispatcher();
    Requests requests;
    protocol.onOnlineStateChanged(true);

    sendSet(protocol, requests, mode & 7, mode & 8);
    if (mode & 16)
        sendSet(protocol, requests, (mode >> 5) & 7, !(mode & 8));
    pDispatcher->onDispatch(); // takes the first message and writes it

    for (const QByteArray &piece : input.split(char(0xff))) {
        if (piece.startsWith(char(0xfd))) {
            const qsizetype cut = piece.indexOf(char(0x01));
            const QByteArray line = cut < 0 ? piece.mid(1) : piece.mid(1, cut - 1);
            const QByteArray expected = cut < 0 ? QByteArray() : piece.mid(cut + 1);
            protocol.onDataReceived(line, expectedWithTag(expected));
        } else if (piece.startsWith(char(0xfe))) {
            client.takeDatagram(array, quint16(arrayPort + 1), piece.mid(1));
        } else {
            client.takeDatagram(array, arrayPort, piece);
        }
        pDispatcher->onDispatch();
    }

    protocol.onOnlineStateChanged(false);
    for (const auto &pText : requests.texts) {
        if (requests.answers.value(pText.get()) != 1)
            std::abort();
    }
    if (protocol.pendingCount() != 0 || pDispatcher->isProcessing())
        std::abort();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
