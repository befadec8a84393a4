#include "VrTest.h"

#include "RecordingProtocol.h"
#include "comms/ITcpServer.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

#include <sys/socket.h>

#include <memory>

namespace {

QStringList s_messages;

void recordMessages(QtMsgType, const QMessageLogContext &, const QString &message)
{
    s_messages.append(message);
}

// A server on 127.0.0.1 at a free port, owned by a recording protocol.
struct ServerFixture
{
    ServerFixture()
    {
        server.setOwner(&owner);
        server.setListenAddress(QHostAddress::LocalHost);
        server.setPort(0);
    }

    RecordingProtocol owner;
    ITcpServer server;
};

std::unique_ptr<QTcpSocket> connectTo(quint16 port)
{
    auto pSocket = std::make_unique<QTcpSocket>();
    pSocket->connectToHost(QHostAddress::LocalHost, port);
    return pSocket;
}

QByteArray joined(const QList<QByteArray> &parts)
{
    QByteArray all;
    for (const QByteArray &part : parts)
        all += part;
    return all;
}

} // namespace

class TestITcpServer : public QObject
{
    Q_OBJECT

private slots:
    void passesEverythingToTheOwnerAndAnnouncesTheClose();
    void takesOneClientOnly();
    void openTwiceOnTheSamePort();
    void portInUse();
    void closeDropsTheClientQuietly();
    void sendWritesToTheClient();
    void errorMarksTheEnd();
    void resetIsNoCleanEnd_data();
    void resetIsNoCleanEnd();
};

void TestITcpServer::passesEverythingToTheOwnerAndAnnouncesTheClose()
{
    ServerFixture f;
    QVERIFY(f.server.open());
    QVERIFY(f.server.serverPort() != 0);
    QSignalSpy closed(&f.server, &IInterface::connectionClose);

    auto pClient = connectTo(f.server.serverPort());
    QVERIFY(pClient->waitForConnected(3000));
    // An empty read never reaches the owner: nothing is sent at first.
    QTest::qWait(50);
    QVERIFY(f.owner.lines.isEmpty());

    QByteArray sent;
    for (int i = 0; i < 5; ++i) {
        const QByteArray chunk(3000 + i, char('a' + i));
        pClient->write(chunk);
        sent += chunk;
        QVERIFY(pClient->waitForBytesWritten(3000));
    }
    // The last bytes and the close arrive together.
    pClient->write("tail");
    sent += "tail";
    pClient->disconnectFromHost();
    QTRY_COMPARE(closed.size(), 1);
    QCOMPARE(joined(f.owner.lines), sent);
    for (const QString &error : std::as_const(f.owner.errorTexts))
        QVERIFY(error.isEmpty());
    QVERIFY(f.server.clientEndedCleanly());
    QTest::qWait(50);
    QCOMPARE(closed.size(), 1);
}

void TestITcpServer::takesOneClientOnly()
{
    ServerFixture f;
    QVERIFY(f.server.open());
    const quint16 port = f.server.serverPort();
    auto pFirst = connectTo(port);
    QVERIFY(pFirst->waitForConnected(3000));
    QTRY_VERIFY(!f.server.isListening());

    auto pSecond = connectTo(port);
    pSecond->write("intruder");
    QTRY_COMPARE(pSecond->state(), QAbstractSocket::UnconnectedState);
    pFirst->write("first");
    QVERIFY(pFirst->waitForBytesWritten(3000));
    QTRY_COMPARE(joined(f.owner.lines), QByteArray("first"));
    QTest::qWait(50);
    QCOMPARE(joined(f.owner.lines), QByteArray("first"));
}

void TestITcpServer::openTwiceOnTheSamePort()
{
    ServerFixture f;
    QVERIFY(f.server.open());
    const quint16 port = f.server.serverPort();
    f.server.setPort(port);
    s_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessages);
    const bool again = f.server.open();
    qInstallMessageHandler(previous);
    QVERIFY(again);
    QCOMPARE(f.server.serverPort(), port);
    QVERIFY(s_messages.join('\n').contains("ITCPServer is already listening on port"));
}

void TestITcpServer::portInUse()
{
    QTcpServer holder;
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    ServerFixture f;
    f.server.setPort(holder.serverPort());
    s_messages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessages);
    const bool opened = f.server.open();
    qInstallMessageHandler(previous);
    QVERIFY(!opened);
    QVERIFY(!f.server.isListening());
    const QString all = s_messages.join('\n');
    QVERIFY2(all.contains("Starting listener on port:") && all.contains("address is already in use"),
             qPrintable(all));
}

void TestITcpServer::closeDropsTheClientQuietly()
{
    ServerFixture f;
    QVERIFY(f.server.open());
    QSignalSpy closed(&f.server, &IInterface::connectionClose);
    auto pClient = connectTo(f.server.serverPort());
    QVERIFY(pClient->waitForConnected(3000));
    QTRY_VERIFY(!f.server.isListening());
    QVERIFY(f.server.close());
    // Our own close is no sign that the sender finished.
    QTRY_COMPARE(pClient->state(), QAbstractSocket::UnconnectedState);
    QTest::qWait(50);
    QCOMPARE(closed.size(), 0);
    QCOMPARE(f.server.send("x", 1, IInterface::SendDirect, "", 0), 0);
}

void TestITcpServer::sendWritesToTheClient()
{
    ServerFixture f;
    QCOMPARE(f.server.send("early", -1, IInterface::SendDirect, "", 0), 0);
    QVERIFY(f.server.open());
    auto pClient = connectTo(f.server.serverPort());
    QVERIFY(pClient->waitForConnected(3000));
    QTRY_VERIFY(!f.server.isListening());
    // A negative length goes up to the terminating zero.
    QCOMPARE(f.server.send("hello", -1, IInterface::SendWaitReply, "x", 200), 5);
    QCOMPARE(f.server.send("world!", 5, IInterface::SendDirect, "", 0), 5);
    QTRY_COMPARE(pClient->bytesAvailable(), qint64(10));
    QCOMPARE(pClient->readAll(), QByteArray("helloworld"));
}

void TestITcpServer::errorMarksTheEnd()
{
    ServerFixture f;
    QVERIFY(f.server.open());
    auto pClient = connectTo(f.server.serverPort());
    QVERIFY(pClient->waitForConnected(3000));
    QTRY_VERIFY(!f.server.isListening());
    f.server.error(QAbstractSocket::RemoteHostClosedError);
    QVERIFY(f.server.clientEndedCleanly());
    f.server.error(QAbstractSocket::NetworkError);
    QVERIFY(!f.server.clientEndedCleanly());
}

void TestITcpServer::resetIsNoCleanEnd_data()
{
    QTest::addColumn<bool>("reset");
    QTest::newRow("closed") << false;
    QTest::newRow("reset after all bytes") << true;
}

// Qt reports a reset with the same error as a close; the server still
// tells them apart once every byte has been handed on.
void TestITcpServer::resetIsNoCleanEnd()
{
    QFETCH(bool, reset);
    ServerFixture f;
    QVERIFY(f.server.open());
    QSignalSpy closed(&f.server, &IInterface::connectionClose);
    auto pClient = connectTo(f.server.serverPort());
    QVERIFY(pClient->waitForConnected(3000));
    const QByteArray sent(20000, 'p');
    pClient->write(sent);
    QVERIFY(pClient->waitForBytesWritten(3000));
    QTRY_COMPARE(joined(f.owner.lines), sent);
    if (reset) {
        const struct linger hard = {1, 0};
        QCOMPARE(::setsockopt(int(pClient->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                              sizeof hard),
                 0);
        pClient->abort();
    } else {
        pClient->disconnectFromHost();
    }
    QTRY_COMPARE(closed.size(), 1);
    QCOMPARE(f.server.clientEndedCleanly(), !reset);
}

VR_TEST_MAIN(TestITcpServer)
#include "tst_itcpserver.moc"
