#include "VrTest.h"

#include "FakeProtocolHost.h"
#include "comms/IInterface.h"
#include "comms/PFileProtocol.h"
#include "comms/PProtocolFactory.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>

#include <memory>

namespace {

// A transport that takes chunks as a socket would, and can write one
// short or have the user press Abort after a given chunk.
class ChunkTransport : public IInterface
{
public:
    int send(const char *data, int length, int messageType, const char *expectedReply,
             int timeoutMs) override
    {
        types.append(messageType);
        Q_UNUSED(expectedReply);
        Q_UNUSED(timeoutMs);
        chunks.append(QByteArray(data, length));
        if (chunks.size() == abortAfter) {
            for (QWidget *pWidget : QApplication::topLevelWidgets()) {
                if (auto *pProgress = qobject_cast<QProgressDialog *>(pWidget))
                    pProgress->cancel();
            }
        }
        return chunks.size() == shortAt ? length - 1 : length;
    }
    bool waitForWrite(int ms) override
    {
        waits.append(ms);
        return true;
    }

    QList<QByteArray> chunks;
    QList<int> types;
    QList<int> waits;
    int shortAt = -1;
    int abortAfter = -1;
};

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 251);
    return bytes;
}

QString writeTemp(const QString &name, const QByteArray &bytes)
{
    const QString path = QDir::current().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

} // namespace

class TestPFileProtocol : public QObject
{
    Q_OBJECT

private slots:
    void sendsInWholeChunks_data();
    void sendsInWholeChunks();
    void sendStops_data();
    void sendStops();
    void sendNeedsTransportAndFile();
    void receiveNeedsTransportAndHost_data();
    void receiveNeedsTransportAndHost();
    void nothingToTakeWithoutReception();
};

void TestPFileProtocol::sendsInWholeChunks_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("chunks");
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("one byte") << 1 << 1;
    QTest::newRow("exactly one chunk") << 4096 << 1;
    QTest::newRow("one byte more") << 4097 << 2;
    QTest::newRow("several") << 3 * 4096 + 100 << 4;
}

void TestPFileProtocol::sendsInWholeChunks()
{
    QFETCH(int, size);
    QFETCH(int, chunks);
    const QByteArray content = pattern(size);
    const QString path = writeTemp("send.bin", content);
    QVERIFY(!path.isEmpty());
    ChunkTransport transport;
    PFileProtocol protocol;
    protocol.setInterface(&transport);

    QVERIFY(protocol.sendFile(path));
    QCOMPARE(transport.chunks.size(), chunks);
    QByteArray all;
    for (const QByteArray &chunk : std::as_const(transport.chunks)) {
        QVERIFY(chunk.size() <= PFileProtocol::ChunkSize);
        all += chunk;
    }
    QCOMPARE(all, content);
    for (int type : std::as_const(transport.types))
        QCOMPARE(type, int(IInterface::SendDirect));
    // One wait per chunk, then the final one.
    QCOMPARE(transport.waits.size(), chunks + 1);
    QCOMPARE(transport.waits.last(), PFileProtocol::FinalWriteWaitMs);
}

void TestPFileProtocol::sendStops_data()
{
    QTest::addColumn<int>("shortAt");
    QTest::addColumn<int>("abortAfter");
    QTest::addColumn<int>("sent");
    QTest::newRow("short first chunk") << 1 << -1 << 1;
    QTest::newRow("short middle chunk") << 2 << -1 << 2;
    QTest::newRow("short last chunk") << 3 << -1 << 3;
    QTest::newRow("abort after the first") << -1 << 1 << 1;
    QTest::newRow("abort before the last") << -1 << 2 << 2;
}

void TestPFileProtocol::sendStops()
{
    QFETCH(int, shortAt);
    QFETCH(int, abortAfter);
    QFETCH(int, sent);
    const QString path = writeTemp("send.bin", pattern(3 * 4096));
    ChunkTransport transport;
    transport.shortAt = shortAt;
    transport.abortAfter = abortAfter;
    PFileProtocol protocol;
    protocol.setInterface(&transport);

    QVERIFY(!protocol.sendFile(path));
    QCOMPARE(transport.chunks.size(), sent);
}

void TestPFileProtocol::sendNeedsTransportAndFile()
{
    const QString path = writeTemp("send.bin", pattern(10));
    PFileProtocol protocol;
    QVERIFY(!protocol.sendFile(path));
    ChunkTransport transport;
    protocol.setInterface(&transport);
    QVERIFY(!protocol.sendFile(QDir::current().filePath("no-such-file")));
    QVERIFY(transport.chunks.isEmpty());
}

void TestPFileProtocol::receiveNeedsTransportAndHost_data()
{
    QTest::addColumn<bool>("withTransport");
    QTest::addColumn<bool>("withHost");
    QTest::newRow("no host") << true << false;
    QTest::newRow("no transport") << false << true;
}

// Refused before anything is written; the failure is written to the
// debug output and, when there is a host, shown by it.
void TestPFileProtocol::receiveNeedsTransportAndHost()
{
    QFETCH(bool, withTransport);
    QFETCH(bool, withHost);
    std::unique_ptr<PProtocol> pProtocol(PProtocolFactory().createProtocol("File"));
    QVERIFY(qobject_cast<PFileProtocol *>(pProtocol.get()));
    const QString target = QDir::current().filePath("target.cpn");
    ChunkTransport transport;
    FakeProtocolHost host;
    if (withTransport)
        pProtocol->setInterface(&transport);
    if (withHost)
        pProtocol->setHost(&host);
    const QString failure = QStringLiteral("Receive Mode Failure: Interface or Model is null.");
    QTest::ignoreMessage(QtWarningMsg, qPrintable(failure));
    QVERIFY(!pProtocol->receiveFile(target));
    QCOMPARE(host.receiveWaits, 0);
    if (withHost) {
        QCOMPARE(host.failures, QStringList{failure + "\n\n"
                                            "Try both re-installing and running this application with "
                                            "Administrator priveleges."});
    }
    QVERIFY(!QFile::exists(target + "t"));
}

void TestPFileProtocol::nothingToTakeWithoutReception()
{
    PFileProtocol protocol;
    QVERIFY(!protocol.onDataReceived("data", QString()));
    const QString temp = writeTemp("other.cpnt", "keep");
    QVERIFY(!protocol.swapFile(QDir::current().filePath("other.cpn"), temp));
    // Not ours: a file that no reception wrote is left alone.
    QVERIFY(QFile::exists(temp));
    protocol.connectionClose();
    QVERIFY(!protocol.isReceiving());
}

VR_TEST_MAIN(TestPFileProtocol)
#include "tst_pfileprotocol.moc"
