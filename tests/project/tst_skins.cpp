#include "VrTest.h"

#include "project/SkinLoader.h"
#include "project/XSkinHandler.h"
#include "project/XmlFileReader.h"

#include <QBuffer>
#include <QFile>
#include <QMap>
#include <QObject>
#include <QVariant>

namespace {

using Values = QMap<QString, QString>;

// The skin values the QML side is built against.
const struct {
    const char *key;
    const char *light;
    const char *dark;
} kSkinTable[] = {
    {"textColor", "#231F20", "#FFFFFF"},
    {"canvasColor", "#FFFFFF", "#464949"},
    {"nullRegionColor", "#4D231F20", "#C0231F20"},
    {"statusBarColor", "#F3F3F3", "#5D6061"},
    {"statusBarShadow", "#19231F20", "#59231F20"},
    {"statusBarTextColor", "#000000", "#FFFFFF"},
    {"toolBarColor", "#F6F6F6", "#5D6061"},
    {"toolBarShadow", "#19231F20", "#1A231F20"},
    {"toolBarTextColor", "#000000", "#FFFFFF"},
    {"grooveColor1", "#A8AAAD", "#FFFFFF"},
    {"borderColor", "#A8AAAD", "#FFFFFF"},
    {"pageInActive", "#A8AAAD", "#A8AAAD"},
    {"linkInActive", "#808285", "#808285"},
    {"rightArrow", "../../images/skins/Light/arrow_right.png",
     "../../images/skins/Dark/arrow_right.png"},
    {"leftArrow", "../../images/skins/Light/arrow_left.png",
     "../../images/skins/Dark/arrow_left.png"},
    {"setupButton", "../../images/skins/Light/menu.png", "../../images/skins/Dark/menu.png"},
    {"connectInd", "../../images/skins/Light/indicator_red.png",
     "../../images/skins/Dark/indicator_red.png"},
    {"muteOn", "../../images/skins/Light/mute_off.png", "../../images/skins/Dark/mute_off.png"},
    {"halvernLogo", "../../images/skins/Light/logo_halvern.png",
     "../../images/skins/Dark/logo_halvern.png"},
    {"vrmLogo", "../../images/skins/Light/logo_vrm.png", "../../images/skins/Dark/logo_vrm.png"},
    {"deviceStatusDashboardIcon", "../../images/skins/Light/HealthDashboardIcon.png",
     "../../images/skins/Dark/HealthDashboardIcon.png"},
    // The dashboard's colour of a device out of reach.
    {"unreachableStateColor", "#6B6B6B", "#EAEAEA"},
};

const struct {
    const char *name;
    const char *colour;
} kAccentTable[] = {
    {"Black", "#000000"}, {"Blue", "#1D98D5"},  {"Green", "#8BC34A"},  {"Pink", "#E91E63"},
    {"Red", "#D32F2F"},   {"White", "#FAFAFA"}, {"Yellow", "#FFC107"},
};

Values skinValues(bool dark)
{
    Values values;
    for (const auto &row : kSkinTable)
        values.insert(QString::fromLatin1(row.key), QString::fromLatin1(dark ? row.dark : row.light));
    return values;
}

// Every dynamic property of the object as text.
Values properties(const QObject &object)
{
    Values values;
    for (const QByteArray &name : object.dynamicPropertyNames())
        values.insert(QString::fromLatin1(name), object.property(name.constData()).toString());
    return values;
}

// Applies a skin document from memory.
bool applyXml(QObject &target, const QByteArray &xml)
{
    QBuffer buffer;
    buffer.setData(xml);
    XSkinHandler handler;
    handler.setTarget(&target);
    return XmlFileReader::parse(buffer, handler);
}

QString load(QObject &target, const QString &name)
{
    SkinLoader loader;
    loader.setTarget(&target);
    QString used = name;
    if (!loader.loadSkin(used))
        return QStringLiteral("<failed>");
    return used;
}

} // namespace

class TestSkins : public QObject
{
    Q_OBJECT

private slots:
    void resourceFilesHoldTheTable_data();
    void resourceFilesHoldTheTable();
    void accentOverridesSkin();
    void unknownNamesFallBackToLight_data();
    void unknownNamesFallBackToLight();
    void loadWithoutTarget();
    void applyRules_data();
    void applyRules();
    void textInPiecesIsAppliedWhole();
    void malformedFileKeepsEarlierValues();
    void handlerStartsCleanOnSecondDocument();
    void longAndOddKeys();
    void skinList();
    void accentList();
    void readTextLinesOfFile();
    void readTextLinesFailures();
};

void TestSkins::resourceFilesHoldTheTable_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Values>("expected");
    QTest::newRow("Light") << QStringLiteral("Light") << skinValues(false);
    QTest::newRow("Dark") << QStringLiteral("Dark") << skinValues(true);
    for (const auto &accent : kAccentTable) {
        const QString name = QString::fromLatin1(accent.name);
        const QString folder = QStringLiteral("../../images/skins/Accent/") + name;
        QTest::newRow(accent.name) << name
                                   << Values{{"accentColor", QString::fromLatin1(accent.colour)},
                                             {"downArrow", folder + "/arrow_down.png"},
                                             {"muteOff", folder + "/mute_on.png"}};
    }
}

// Exactly the listed keys, with exactly the listed values.
void TestSkins::resourceFilesHoldTheTable()
{
    QFETCH(QString, name);
    QFETCH(Values, expected);
    QObject target;
    QCOMPARE(load(target, name), name);
    QCOMPARE(properties(target), expected);
}

void TestSkins::accentOverridesSkin()
{
    QObject target;
    QCOMPARE(load(target, QStringLiteral("Dark")), QStringLiteral("Dark"));
    QCOMPARE(load(target, QStringLiteral("Blue")), QStringLiteral("Blue"));
    QCOMPARE(target.property("canvasColor").toString(), QStringLiteral("#464949"));
    QCOMPARE(target.property("accentColor").toString(), QStringLiteral("#1D98D5"));
    QCOMPARE(target.property("muteOn").toString(),
             QStringLiteral("../../images/skins/Dark/mute_off.png"));
}

void TestSkins::unknownNamesFallBackToLight_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("skin in lower case") << QStringLiteral("dark");
    QTest::newRow("accent in upper case") << QStringLiteral("BLUE");
    QTest::newRow("unknown accent") << QStringLiteral("Purple");
    QTest::newRow("empty") << QString();
    QTest::newRow("list file") << QStringLiteral("SkinList");
}

// Resource names match exactly; a name without a file applies the whole
// Light skin over whatever was there.
void TestSkins::unknownNamesFallBackToLight()
{
    QFETCH(QString, name);
    QString checked = name;
    SkinLoader::checkSkinName(checked);
    QCOMPARE(checked, QStringLiteral("Light"));

    QObject target;
    load(target, QStringLiteral("Dark"));
    load(target, QStringLiteral("Red"));
    QCOMPARE(load(target, name), QStringLiteral("Light"));

    Values expected = skinValues(false);
    expected.insert(QStringLiteral("accentColor"), QStringLiteral("#D32F2F"));
    expected.insert(QStringLiteral("downArrow"),
                    QStringLiteral("../../images/skins/Accent/Red/arrow_down.png"));
    expected.insert(QStringLiteral("muteOff"),
                    QStringLiteral("../../images/skins/Accent/Red/mute_on.png"));
    QCOMPARE(properties(target), expected);
}

void TestSkins::loadWithoutTarget()
{
    SkinLoader loader;
    QString name = QStringLiteral("Dark");
    QVERIFY(loader.loadSkin(name));
    QCOMPARE(name, QStringLiteral("Dark"));
    QCOMPARE(SkinLoader::skinFilePath(QStringLiteral("Dark")), QStringLiteral(":/skins/Dark.xml"));
}

void TestSkins::applyRules_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<Values>("expected");

    QTest::newRow("int group is skipped")
        << QByteArray("<Skin><int><width>5</width></int><string><a>1</a></string></Skin>")
        << Values{{"a", "1"}};
    QTest::newRow("other group is skipped")
        << QByteArray("<Skin><color><a>1</a></color></Skin>") << Values{};
    QTest::newRow("text inside Skin, outside a group")
        << QByteArray("<Skin>stray<string><a>1</a></string>tail</Skin>") << Values{{"a", "1"}};
    QTest::newRow("text inside a group, outside a leaf")
        << QByteArray("<Skin><string>stray<a>1</a>tail</string></Skin>") << Values{{"a", "1"}};
    QTest::newRow("no Skin element")
        << QByteArray("<Theme><string><a>1</a></string></Theme>") << Values{};
    QTest::newRow("Skin in another case")
        << QByteArray("<skin><string><a>1</a></string></skin>") << Values{};
    QTest::newRow("empty leaves set nothing")
        << QByteArray("<Skin><string><a/><b></b><c> </c></string></Skin>") << Values{{"c", " "}};
    QTest::newRow("two string groups")
        << QByteArray("<Skin><string><a>1</a></string><string><b>2</b></string></Skin>")
        << Values{{"a", "1"}, {"b", "2"}};
    QTest::newRow("later value wins")
        << QByteArray("<Skin><string><a>1</a><a>2</a></string></Skin>") << Values{{"a", "2"}};
    QTest::newRow("element nested in a leaf")
        << QByteArray("<Skin><string><a>x<b>y</b>z</a></string></Skin>")
        << Values{{"a", "x"}, {"b", "y"}};
    QTest::newRow("whitespace kept inside a leaf only")
        << QByteArray("<Skin>\r\n <string>\r\n  <a> #FFF </a>\r\n </string>\r\n</Skin>\r\n")
        << Values{{"a", " #FFF "}};
    QTest::newRow("entity and character references")
        << QByteArray("<Skin><string><a>&#x23;12&amp;34&lt;</a></string></Skin>")
        << Values{{"a", "#12&34<"}};
    QTest::newRow("CDATA between texts")
        << QByteArray("<Skin><string><a>#1<![CDATA[<2>]]>3</a></string></Skin>")
        << Values{{"a", "#1<2>3"}};
}

void TestSkins::applyRules()
{
    QFETCH(QByteArray, xml);
    QFETCH(Values, expected);
    QObject target;
    QVERIFY(applyXml(target, xml));
    QCOMPARE(properties(target), expected);
}

// However the parser splits a text node, the property gets all of it.
void TestSkins::textInPiecesIsAppliedWhole()
{
    QObject target;
    XSkinHandler handler;
    handler.setTarget(&target);
    const QXmlAttributes none;
    QVERIFY(handler.startDocument());
    QVERIFY(handler.startElement(QString(), "Skin", "Skin", none));
    QVERIFY(handler.startElement(QString(), "string", "string", none));
    QVERIFY(handler.startElement(QString(), "textColor", "textColor", none));
    QVERIFY(handler.characters(QStringLiteral("#23")));
    QVERIFY(handler.characters(QStringLiteral("1F")));
    QCOMPARE(target.property("textColor"), QVariant());
    QVERIFY(handler.characters(QStringLiteral("20")));
    QVERIFY(handler.endElement(QString(), "textColor", "textColor"));
    QCOMPARE(target.property("textColor").toString(), QStringLiteral("#231F20"));
    QVERIFY(handler.endElement(QString(), "string", "string"));
    QVERIFY(handler.endElement(QString(), "Skin", "Skin"));
    QVERIFY(handler.endDocument());
    QCOMPARE(target.dynamicPropertyNames().size(), 1);
}

void TestSkins::malformedFileKeepsEarlierValues()
{
    QObject target;
    target.setProperty("b", QStringLiteral("old"));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^Fatal error on line 1 , column \\d+ : ")));
    QVERIFY(!applyXml(target, "<Skin><string><a>1</a><b>2</string></Skin>"));
    QCOMPARE(properties(target), (Values{{"a", "1"}, {"b", "old"}}));
}

// A parse that stopped inside "Skin" must not leave the next document
// looking as if it were inside one too.
void TestSkins::handlerStartsCleanOnSecondDocument()
{
    QObject target;
    XSkinHandler handler;
    handler.setTarget(&target);
    QBuffer broken;
    broken.setData("<Skin><string><a>1</a></string><");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Fatal error on line")));
    QVERIFY(!XmlFileReader::parse(broken, handler));

    QBuffer plain;
    plain.setData("<string><b>2</b></string>");
    QVERIFY(XmlFileReader::parse(plain, handler));
    QCOMPARE(properties(target), (Values{{"a", "1"}}));
}

void TestSkins::longAndOddKeys()
{
    const QString longKey = QStringLiteral("k").repeated(70);
    QObject target;
    QVERIFY(applyXml(target, "<Skin><string><" + longKey.toLatin1() + ">v</" + longKey.toLatin1()
                                 + "><\xC4\x80x>w</\xC4\x80x><\xC4\x81y>z</\xC4\x81y></string></Skin>"));
    // Cut to 63 characters; a key whose low byte is zero is dropped; other
    // characters keep their low byte (U+0101 -> 0x01).
    QCOMPARE(target.dynamicPropertyNames(),
             QList<QByteArray>({QByteArray(63, 'k'), QByteArray("\x01y")}));
    QCOMPARE(target.property(QByteArray(63, 'k').constData()).toString(), QStringLiteral("v"));
}

void TestSkins::skinList()
{
    QStringList lines;
    QVERIFY(SkinLoader::readTextLines(QStringLiteral(":/skins/SkinList.txt"), &lines));
    QCOMPARE(lines, QStringList({"Light", "Dark"}));
}

// Nothing reads the accent list, but it names exactly the accent files.
void TestSkins::accentList()
{
    QStringList lines;
    QVERIFY(SkinLoader::readTextLines(QStringLiteral(":/skins/AccentList.txt"), &lines));
    QStringList expected;
    for (const auto &accent : kAccentTable)
        expected.append(QString::fromLatin1(accent.name));
    QCOMPARE(lines, expected);
    for (const QString &name : lines)
        QVERIFY(QFile::exists(SkinLoader::skinFilePath(name)));
}

void TestSkins::readTextLinesOfFile()
{
    QFile file(QStringLiteral("list.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Gr\xC3\xBCn\r\nBlau\n\r\nRot");
    file.close();

    QStringList lines = {QStringLiteral("kept")};
    QVERIFY(SkinLoader::readTextLines(file.fileName(), &lines));
    QCOMPARE(lines, QStringList({"kept", "Gr\u00FCn", "Blau", "", "Rot"}));
}

void TestSkins::readTextLinesFailures()
{
    QStringList lines = {QStringLiteral("kept")};
    QVERIFY(!SkinLoader::readTextLines(QStringLiteral(":/skins/NoSuchList.txt"), &lines));
    QCOMPARE(lines, QStringList({"kept"}));
    QVERIFY(!SkinLoader::readTextLines(QStringLiteral(":/skins/SkinList.txt"), nullptr));
}

VR_TEST_MAIN(TestSkins)
#include "tst_skins.moc"
