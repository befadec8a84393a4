#include "VrTest.h"

#include "amplifiers/ArxReply.h"
#include "amplifiers/ArxRequestConstants.h"
#include "amplifiers/ArxRequestDocument.h"
#include "amplifiers/PARXProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace {

const QString kLive = QStringLiteral("/Device/Audio/Presets/Live/");

QJsonObject parse(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

} // namespace

// The documents posted to an ARX amplifier and the shared constants that
// name them: exact texts, since the amplifier matches them byte for byte.
class TestArxRequestDocuments : public QObject
{
    Q_OBJECT

private slots:
    void constants();
    void pathTemplates_data();
    void pathTemplates();
    void groupsRoundTrip();
    void backupStrategyRead();
    void standbyWrites_data();
    void standbyWrites();
    void replyValuesList_data();
    void replyValuesList();
    void replyTag_data();
    void replyTag();
    void valuesById();
};

void TestArxRequestDocuments::constants()
{
    QCOMPARE(ArxRequestConstants::clientIdPrefix(), QStringLiteral("VRM-"));
    const QStringList tags{QStringLiteral("BackupStategyMode"),       QStringLiteral("InputPriorities"),
                           QStringLiteral("MatrixSelection"),         QStringLiteral("PilotToneFaults"),
                           QStringLiteral("ID_ARX_SET_STANDBY_TRUE"), QStringLiteral("ID_ARX_SET_STANDBY_FALSE")};
    QStringList got;
    for (ArxRequestGroup group : ArxRequestConstants::groups())
        got << ArxRequestConstants::tag(group);
    QCOMPARE(got, tags);

    const QStringList all = ArxRequestConstants::all();
    QCOMPARE(all.size(), 68);
    QCOMPARE(ArxRequestConstants::ConstantCount, 68);
    QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), 68);
    QCOMPARE(all.first(), QStringLiteral("VRM-"));
    QCOMPARE(all.mid(1, 6), tags);
    const QStringList paths = ArxRequestConstants::allPaths();
    QCOMPARE(paths.size(), 61);
    QCOMPARE(all.mid(7), paths);
    for (const QString &path : paths) {
        QVERIFY2(path.startsWith(kLive), qPrintable(path));
        QVERIFY2(path.endsWith(QLatin1String("/Value")), qPrintable(path));
    }
}

void TestArxRequestDocuments::pathTemplates_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("strategy enable")
        << ArxRequestConstants::backupStrategyEnablePath(2)
        << "SourceSelection/BackupStrategy/BackupStrategy-2/Enable/Value";
    QTest::newRow("strategy pilot tone")
        << ArxRequestConstants::backupStrategyPilotTonePath(0)
        << "SourceSelection/BackupStrategy/BackupStrategy-0/PilotTone/Enable/Value";
    QTest::newRow("strategy custom threshold")
        << ArxRequestConstants::backupStrategyCustomThresholdPath(3)
        << "SourceSelection/BackupStrategy/BackupStrategy-3/CustomThresholdSignalDetect/Enable/Value";
    QTest::newRow("routing source") << ArxRequestConstants::routingSourcePath(1, 3)
                                    << "SourceSelection/RoutingChannel-1/Src-3/Value";
    QTest::newRow("matrix mute") << ArxRequestConstants::inputMatrixMutePath(2, 1)
                                 << "InputMatrix/Channels/Channel-2/Mute-1/Value";
    QTest::newRow("generator") << ArxRequestConstants::pilotToneGeneratorPath(3)
                               << "OutputProcess/Channels/Channel-3/PilotToneGenerator/Enable/Value";
    QTest::newRow("pilot tone") << ArxRequestConstants::pilotTonePath(1)
                                << "OutputProcess/Channels/Channel-1/PilotTone/Enable/Value";
    QTest::newRow("load monitor") << ArxRequestConstants::loadMonitorPath(0)
                                  << "OutputProcess/Channels/Channel-0/LoadMonitor/Enable/Value";
    QTest::newRow("nominal impedance") << ArxRequestConstants::nominalImpedancePath(2)
                                       << "OutputProcess/Channels/Channel-2/NominalImpedance/Enable/Value";
    QTest::newRow("standby") << ArxRequestConstants::standbyPath() << "Generals/Standby/Value";
}

void TestArxRequestDocuments::pathTemplates()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(path, kLive + expected);
}

// Each group carries its own paths, each once: 12, 16, 16, 16 and the
// standby path; together with standby the 61 paths.
void TestArxRequestDocuments::groupsRoundTrip()
{
    const QList<QPair<ArxRequestGroup, int>> counts{{ArxRequestGroup::BackupStrategyMode, 12},
                                                    {ArxRequestGroup::InputPriorities, 16},
                                                    {ArxRequestGroup::MatrixSelection, 16},
                                                    {ArxRequestGroup::PilotToneFaults, 16},
                                                    {ArxRequestGroup::StandbyOn, 1},
                                                    {ArxRequestGroup::StandbyOff, 1}};
    QSet<QString> seen;
    for (const auto &[group, count] : counts) {
        const QStringList paths = ArxRequestConstants::pathsOf(group);
        QCOMPARE(paths.size(), count);
        QCOMPARE(QSet<QString>(paths.begin(), paths.end()).size(), count);
        seen.unite(QSet<QString>(paths.begin(), paths.end()));
        ArxRequestGroup back;
        QVERIFY(ArxRequestConstants::groupOfTag(ArxRequestConstants::tag(group), &back));
        QCOMPARE(back, group);
    }
    QCOMPARE(seen.size(), 61);
    QVERIFY(!ArxRequestConstants::groupOfTag(QStringLiteral("BackupStrategyMode"), nullptr));
    QVERIFY(!ArxRequestConstants::groupOfTag(QStringLiteral("Unknown"), nullptr));
    QVERIFY(!ArxRequestConstants::groupOfTag(QString(), nullptr));
}

void TestArxRequestDocuments::backupStrategyRead()
{
    const QJsonDocument document = ArxRequestDocument::forGroup(ArxRequestGroup::BackupStrategyMode);
    QJsonArray values;
    for (int b = 0; b < 4; ++b) {
        for (const char *tail : {"/Enable/Value", "/PilotTone/Enable/Value",
                                 "/CustomThresholdSignalDetect/Enable/Value"}) {
            values.append(QJsonObject{
                {QStringLiteral("id"), kLive + QStringLiteral("SourceSelection/BackupStrategy/BackupStrategy-")
                                           + QString::number(b) + QLatin1String(tail)}});
        }
    }
    const QJsonObject expected{
        {QStringLiteral("clientId"), QStringLiteral("VRM-BackupStategyMode")},
        {QStringLiteral("payload"),
         QJsonObject{{QStringLiteral("type"), QStringLiteral("ACTION")},
                     {QStringLiteral("action"), QJsonObject{{QStringLiteral("type"), QStringLiteral("READ")},
                                                            {QStringLiteral("values"), values}}}}}};
    QCOMPARE(document.object(), expected);
    QVERIFY(document.object().value(QStringLiteral("payload")).toObject().value(QStringLiteral("action"))
                .toObject().value(QStringLiteral("values")).toArray().at(0).toObject().size() == 1);
    // The protocol's own builder makes the same envelope from a tag.
    QCOMPARE(PARXProtocol::buildRequestDocument(values, QStringLiteral("READ"),
                                                QStringLiteral("BackupStategyMode")),
             document);
}

void TestArxRequestDocuments::standbyWrites_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("on") << int(ArxRequestGroup::StandbyOn)
                        << QByteArray("{\"clientId\":\"VRM-ID_ARX_SET_STANDBY_TRUE\",\"payload\":{\"action\":"
                                      "{\"type\":\"WRITE\",\"values\":[{\"data\":{\"boolValue\":true,"
                                      "\"type\":\"BOOL\"},\"id\":\"/Device/Audio/Presets/Live/Generals/"
                                      "Standby/Value\"}]},\"type\":\"ACTION\"}}");
    QTest::newRow("off") << int(ArxRequestGroup::StandbyOff)
                         << QByteArray("{\"clientId\":\"VRM-ID_ARX_SET_STANDBY_FALSE\",\"payload\":{\"action\":"
                                       "{\"type\":\"WRITE\",\"values\":[{\"data\":{\"boolValue\":false,"
                                       "\"type\":\"BOOL\"},\"id\":\"/Device/Audio/Presets/Live/Generals/"
                                       "Standby/Value\"}]},\"type\":\"ACTION\"}}");
}

void TestArxRequestDocuments::standbyWrites()
{
    QFETCH(int, group);
    QFETCH(QByteArray, json);
    // Compact JSON of an object lists its members sorted: the bytes are
    // the document.
    QCOMPARE(ArxRequestDocument::forGroup(ArxRequestGroup(group)).toJson(QJsonDocument::Compact), json);
}

void TestArxRequestDocuments::replyValuesList_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("warning");
    QTest::newRow("good") << QByteArray("{\"payload\":{\"action\":{\"values\":[{\"id\":\"a\"},{\"id\":\"b\"}]}}}")
                          << 2 << QString();
    QTest::newRow("no payload") << QByteArray("{\"clientId\":\"VRM-X\"}") << 0
                                << "Json object does not contain expected member: payload";
    QTest::newRow("payload a string") << QByteArray("{\"payload\":\"ACTION\"}") << 0
                                      << "Json member is not an object: payload";
    QTest::newRow("no action") << QByteArray("{\"payload\":{}}") << 0
                               << "Json object does not contain expected member: action";
    QTest::newRow("action an array") << QByteArray("{\"payload\":{\"action\":[]}}") << 0
                                     << "Json member is not an object: action";
    QTest::newRow("no values") << QByteArray("{\"payload\":{\"action\":{}}}") << 0
                               << "Json object does not contain expected member: values";
    QTest::newRow("values an object") << QByteArray("{\"payload\":{\"action\":{\"values\":{}}}}") << 0
                                      << "Json member is not an array: values";
    QTest::newRow("values empty") << QByteArray("{\"payload\":{\"action\":{\"values\":[]}}}") << 0
                                  << "Values list is empty.";
}

void TestArxRequestDocuments::replyValuesList()
{
    QFETCH(QByteArray, json);
    QFETCH(int, count);
    QFETCH(QString, warning);
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    QCOMPARE(ArxReply::values(QJsonDocument::fromJson(json).object()).size(), count);
}

void TestArxRequestDocuments::replyTag_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("ours");
    QTest::addColumn<QString>("tag");
    QTest::newRow("ours") << QByteArray("{\"clientId\":\"VRM-MatrixSelection\"}") << true << "MatrixSelection";
    QTest::newRow("prefix only") << QByteArray("{\"clientId\":\"VRM-\"}") << true << "";
    QTest::newRow("another client") << QByteArray("{\"clientId\":\"x8-panel\"}") << false << "";
    QTest::newRow("lower case prefix") << QByteArray("{\"clientId\":\"vrm-MatrixSelection\"}") << false << "";
    QTest::newRow("not a text") << QByteArray("{\"clientId\":7}") << false << "";
    QTest::newRow("missing") << QByteArray("{}") << false << "";
}

void TestArxRequestDocuments::replyTag()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, ours);
    QFETCH(QString, tag);
    QString got;
    QCOMPARE(ArxReply::tagOf(QJsonDocument::fromJson(json).object(), &got), ours);
    QCOMPARE(got, tag);
}

// Values are found by id, the first item with an id counts, and a value
// the reply lacks reads as false or 0 with its warning. Firmware that
// answers booleans as 0/1 reads as it means.
void TestArxRequestDocuments::valuesById()
{
    const QJsonObject root = parse(R"({"payload":{"action":{"values":[
        {"id":"/a","data":{"type":"BOOL","boolValue":true}},
        {"id":"/a","data":{"type":"BOOL","boolValue":false}},
        {"id":"/one","data":{"type":"BOOL","boolValue":1}},
        {"id":"/zero","data":{"type":"BOOL","boolValue":0}},
        {"id":"/text","data":{"type":"BOOL","boolValue":"true"}},
        {"id":"/n","data":{"type":"INT","intValue":-1}},
        {"id":"/big","data":{"type":"INT","intValue":1e300}},
        {"id":"/frac","data":{"type":"INT","intValue":6.9}},
        7,
        {"data":{"boolValue":true}}]}}})");
    const ArxReply reply(ArxReply::values(root));
    QCOMPARE(reply.boolValue(QStringLiteral("/a")), true);
    QCOMPARE(reply.boolValue(QStringLiteral("/one")), true);
    QCOMPARE(reply.boolValue(QStringLiteral("/zero")), false);
    QCOMPARE(reply.boolValue(QStringLiteral("/text")), false);
    QCOMPARE(reply.intValue(QStringLiteral("/n")), -1);
    QCOMPARE(reply.intValue(QStringLiteral("/big")), std::numeric_limits<int>::max());
    QCOMPARE(reply.intValue(QStringLiteral("/frac")), 6);
    QTest::ignoreMessage(QtWarningMsg, "ID not found!");
    QCOMPARE(reply.boolValue(QStringLiteral("/missing")), false);
    QTest::ignoreMessage(QtWarningMsg, "ID not found!");
    QCOMPARE(reply.intValue(QStringLiteral("/missing")), 0);
}

VR_TEST_MAIN(TestArxRequestDocuments)
#include "tst_arxrequestdocuments.moc"
