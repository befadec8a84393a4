#include "VrTest.h"

#include "project/MProject.h"
#include "project/XmlFileReader.h"
#include "project/XmlHandler.h"

#include <QBuffer>
#include <QXmlAttributes>

namespace {

// Every field in declaration order, then the exit PIN.
QStringList fields(const MProject &p)
{
    QStringList list = {p.businessManagerName(), p.businessManagerEmail(),
                        p.businessManagerTel(),  p.engineerName(),
                        p.engineerEmail(),       p.engineerTel(),
                        p.customerName(),        p.customerAddress(),
                        p.customerEmail(),       p.customerTel()};
    for (int i = 1; i <= MProject::CommentCount; ++i)
        list.append(p.comment(i));
    list.append(p.siteName());
    list.append(MProject::exitPin());
    return list;
}

enum Field {
    BmName,
    BmEmail,
    BmTel,
    EngName,
    EngEmail,
    EngTel,
    CustName,
    CustAddress,
    CustEmail,
    CustTel,
    Comment1,
    Comment6 = Comment1 + 5,
    Site,
    ExitPin,
};

QXmlAttributes attributes(const QList<QPair<QString, QString>> &pairs)
{
    QXmlAttributes atts;
    for (const auto &pair : pairs)
        atts.append(pair.first, QString(), pair.first, pair.second);
    return atts;
}

// Hands every element inside "ProjectInfo" to the record, the way the
// design-project reader does.
class ProjectInfoReader : public XmlHandler
{
public:
    explicit ProjectInfoReader(MProject &project)
        : m_project(project)
    {
    }

    bool startElement(const QString &, const QString &localName, const QString &,
                      const QXmlAttributes &atts) override
    {
        pushElement(localName);
        if (localName == QStringLiteral("ProjectInfo")) {
            m_inInfo = true;
            return true;
        }
        return m_inInfo ? m_project.startElement(localName, atts) : true;
    }

    bool endElement(const QString &, const QString &localName, const QString &) override
    {
        popElement();
        if (localName == QStringLiteral("ProjectInfo"))
            m_inInfo = false;
        return true;
    }

private:
    MProject &m_project;
    bool m_inInfo = false;
};

bool readDesignProject(MProject &project, const QByteArray &xml)
{
    QBuffer buffer;
    buffer.setData(xml);
    ProjectInfoReader reader(project);
    return XmlFileReader::parse(buffer, reader);
}

const QString kFreshText = QStringLiteral("Facility\nSITE NAME\n\n"
                                          "Business Manager\n\n\n\n\n"
                                          "Engineer\n\n\n\n\n"
                                          "Customer\n\n\n\n\n\n");

} // namespace

class TestMProject : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void freshRecord();
    void resetKeepsExitPin();
    void designProjectFillsEveryField();
    void designMissingAttributeEmptiesField();
    void designIgnoresOtherElements_data();
    void designIgnoresOtherElements();
    void panelValueSetsOneField_data();
    void panelValueSetsOneField();
    void panelIgnoresUnknown_data();
    void panelIgnoresUnknown();
    void panelFacilityNone();
    void facilityDecidesExitPin_data();
    void facilityDecidesExitPin();
    void projectInfoTextOfFilledRecord();
};

void TestMProject::init()
{
    MProject::setExitPin(QString());
}

void TestMProject::freshRecord()
{
    MProject project;
    QCOMPARE(project.projectInfoText(), kFreshText);
    QStringList expected(ExitPin + 1, QString());
    expected[Site] = QStringLiteral("SITE NAME");
    QCOMPARE(fields(project), expected);
}

void TestMProject::resetKeepsExitPin()
{
    MProject project;
    project.setValue(QStringLiteral("Customer"), QStringLiteral("name"), QStringLiteral("ACME"));
    project.setValue(QStringLiteral("Facility"), QStringLiteral("name"), QStringLiteral("Hall"));
    project.setValue(QStringLiteral("ExitCode"), QStringLiteral("exitPIN"), QStringLiteral("42"));
    project.reset();
    QCOMPARE(project.projectInfoText(), kFreshText);
    QCOMPARE(MProject::exitPin(), QStringLiteral("42"));
}

void TestMProject::designProjectFillsEveryField()
{
    MProject project;
    QVERIFY(readDesignProject(project,
        "<Project version=\"4.2\"><ProjectInfo>"
        "<Password digest=\"abc\"/>"
        "<Facility name=\"Main Hall\"/>"
        "<BusinessManeger name=\"Bea\" email=\"bea@example.com\" tel=\"101\"/>"
        "<Engineer tel=\"202\" name=\"Eli\" email=\"eli@example.com\"/>"
        "<Customer name=\"Cy\" address=\"1 Road\" email=\"cy@example.com\" tel=\"303\" fax=\"9\"/>"
        "<Comments comment1=\"c1\" comment2=\"c2\" comment3=\"c3\" comment4=\"c4\""
        " comment5=\"c5\" comment6=\"c6\" comment7=\"c7\"/>"
        "<ExitCode ExitPIN=\"2468\"/>"
        "</ProjectInfo></Project>"));

    QCOMPARE(fields(project),
             QStringList({"Bea", "bea@example.com", "101", "Eli", "eli@example.com", "202", "Cy",
                          "1 Road", "cy@example.com", "303", "c1", "c2", "c3", "c4", "c5", "c6",
                          "Main Hall", "2468"}));
}

void TestMProject::designMissingAttributeEmptiesField()
{
    MProject project;
    project.startElement(QStringLiteral("BusinessManeger"),
                         attributes({{"name", "Bea"}, {"email", "bea@example.com"}, {"tel", "1"}}));
    QCOMPARE(project.businessManagerEmail(), QStringLiteral("bea@example.com"));

    QVERIFY(project.startElement(QStringLiteral("BusinessManeger"),
                                 attributes({{"name", "Bob"}, {"tel", "2"}})));
    QCOMPARE(project.businessManagerName(), QStringLiteral("Bob"));
    QCOMPARE(project.businessManagerEmail(), QString());
    QCOMPARE(project.businessManagerTel(), QStringLiteral("2"));

    // An attribute whose name differs in case is not the attribute.
    QVERIFY(project.startElement(QStringLiteral("Facility"), attributes({{"Name", "Hall"}})));
    QCOMPARE(project.siteName(), QString());

    // The design project keeps "None" as it stands.
    QVERIFY(project.startElement(QStringLiteral("Facility"), attributes({{"name", "None"}})));
    QCOMPARE(project.siteName(), QStringLiteral("None"));
}

void TestMProject::designIgnoresOtherElements_data()
{
    QTest::addColumn<QString>("element");
    QTest::newRow("manager spelled right") << QStringLiteral("BusinessManager");
    QTest::newRow("lower case") << QStringLiteral("engineer");
    QTest::newRow("password digest") << QStringLiteral("Password");
    QTest::newRow("network options") << QStringLiteral("Network");
    QTest::newRow("empty") << QString();
}

void TestMProject::designIgnoresOtherElements()
{
    QFETCH(QString, element);
    MProject project;
    MProject::setExitPin(QStringLiteral("77"));
    const QStringList before = fields(project);
    QVERIFY(project.startElement(element, attributes({{"name", "X"},
                                                      {"email", "X"},
                                                      {"tel", "X"},
                                                      {"address", "X"},
                                                      {"comment1", "X"},
                                                      {"ExitPIN", "X"}})));
    QCOMPARE(fields(project), before);
}

void TestMProject::panelValueSetsOneField_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("field");
    const struct {
        const char *section;
        const char *key;
        int field;
    } rows[] = {
        {"BusinessManeger", "name", BmName},  {"BusinessManeger", "email", BmEmail},
        {"BusinessManeger", "tel", BmTel},    {"Engineer", "name", EngName},
        {"Engineer", "email", EngEmail},      {"Engineer", "tel", EngTel},
        {"Customer", "name", CustName},       {"Customer", "address", CustAddress},
        {"Customer", "email", CustEmail},     {"Customer", "tel", CustTel},
        {"Comments", "comment1", Comment1},   {"Comments", "comment2", Comment1 + 1},
        {"Comments", "comment3", Comment1 + 2}, {"Comments", "comment4", Comment1 + 3},
        {"Comments", "comment5", Comment1 + 4}, {"Comments", "comment6", Comment6},
        {"ExitCode", "exitPIN", ExitPin},
    };
    for (const auto &r : rows) {
        QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(QLatin1String(r.section),
                                                            QLatin1String(r.key))))
            << QString::fromLatin1(r.section) << QString::fromLatin1(r.key) << r.field;
    }
}

void TestMProject::panelValueSetsOneField()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, field);
    MProject project;
    QStringList expected = fields(project);
    project.setValue(section, key, QStringLiteral("value"));
    expected[field] = QStringLiteral("value");
    QCOMPARE(fields(project), expected);
}

void TestMProject::panelIgnoresUnknown_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    const char *rows[][2] = {
        {"BusinessManager", "name"}, {"businessmaneger", "name"}, {"Project", "name"},
        {"Property", "name"},        {"Customer", "fax"},         {"Customer", "Name"},
        {"Engineer", "address"},     {"Comments", "comment0"},    {"Comments", "comment7"},
        {"Comments", "comment"},     {"ExitCode", "ExitPIN"},     {"ExitCode", "name"},
        {"", ""},
    };
    for (const auto &r : rows) {
        QTest::newRow(qPrintable(QStringLiteral("%1/%2").arg(QLatin1String(r[0]),
                                                            QLatin1String(r[1]))))
            << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    }
}

void TestMProject::panelIgnoresUnknown()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    MProject project;
    MProject::setExitPin(QStringLiteral("1357"));
    const QStringList before = fields(project);
    project.setValue(section, key, QStringLiteral("value"));
    QCOMPARE(fields(project), before);
}

void TestMProject::panelFacilityNone()
{
    MProject project;
    project.setValue(QStringLiteral("Facility"), QStringLiteral("name"), QStringLiteral("None"));
    QCOMPARE(project.siteName(), QString());
    QVERIFY(project.projectInfoText().startsWith(QStringLiteral("Facility\n\n\nBusiness Manager\n")));

    project.setValue(QStringLiteral("Facility"), QStringLiteral("name"), QStringLiteral("none"));
    QCOMPARE(project.siteName(), QStringLiteral("none"));
}

void TestMProject::facilityDecidesExitPin_data()
{
    // Each step is "section/key=value"; the design project set the PIN first.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("pin");
    QTest::addColumn<QString>("site");

    QTest::newRow("facility without exit code clears")
        << QStringList{"Facility/name=Hall"} << QString() << QStringLiteral("Hall");
    QTest::newRow("facility then exit code sets")
        << QStringList{"Facility/name=Hall", "ExitCode/exitPIN=9999"} << QStringLiteral("9999") << QStringLiteral("Hall");
    QTest::newRow("exit code before facility is lost")
        << QStringList{"ExitCode/exitPIN=9999", "Facility/name=Hall"} << QString() << QStringLiteral("Hall");
    QTest::newRow("any facility key clears")
        << QStringList{"Facility/address=Street"} << QString() << QStringLiteral("SITE NAME");
    QTest::newRow("facility None clears both")
        << QStringList{"Facility/name=None"} << QString() << QString();
    QTest::newRow("no project section keeps")
        << QStringList{} << QStringLiteral("2468") << QStringLiteral("SITE NAME");
    QTest::newRow("contacts alone keep")
        << QStringList{"Engineer/name=Eli", "Comments/comment1=x"} << QStringLiteral("2468") << QStringLiteral("SITE NAME");
}

void TestMProject::facilityDecidesExitPin()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, pin);
    QFETCH(QString, site);

    MProject project;
    project.startElement(QStringLiteral("ExitCode"), attributes({{"ExitPIN", "2468"}}));
    QCOMPARE(MProject::exitPin(), QStringLiteral("2468"));

    for (const QString &step : steps) {
        const int slash = step.indexOf(QLatin1Char('/'));
        const int equals = step.indexOf(QLatin1Char('='));
        project.setValue(step.left(slash), step.mid(slash + 1, equals - slash - 1),
                         step.mid(equals + 1));
    }
    QCOMPARE(MProject::exitPin(), pin);
    QCOMPARE(project.siteName(), site);
}

void TestMProject::projectInfoTextOfFilledRecord()
{
    MProject project;
    const char *values[][3] = {
        {"Facility", "name", "Main Hall"},
        {"BusinessManeger", "name", "Bea"},
        {"BusinessManeger", "tel", "101"},
        {"Engineer", "email", "eli@example.com"},
        {"Customer", "name", "Cy"},
        {"Customer", "address", "1 Road"},
        {"Customer", "tel", "303"},
        {"Comments", "comment1", "not shown"},
        {"ExitCode", "exitPIN", "not shown either"},
    };
    for (const auto &v : values)
        project.setValue(QString::fromLatin1(v[0]), QString::fromLatin1(v[1]),
                         QString::fromLatin1(v[2]));

    QCOMPARE(project.projectInfoText(),
             QStringLiteral("Facility\nMain Hall\n\n"
                            "Business Manager\nBea\n\n101\n\n"
                            "Engineer\n\neli@example.com\n\n\n"
                            "Customer\nCy\n1 Road\n\n303\n\n"));
}

VR_TEST_MAIN(TestMProject)
#include "tst_mproject.moc"
