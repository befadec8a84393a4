#include "VrTest.h"

#include "ButtonRig.h"
#include "controls/CComposite.h"
#include "project/UArchive.h"
#include "project/XmlWriter.h"
#include "widgets/WButton.h"
#include "widgets/WCmdButton.h"

#include <QBuffer>
#include <QFont>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

constexpr int Patience = 5000;

// A widget that keeps the texts handed to it.
class AuxiliaryRecorder : public WWidget
{
public:
    void setAuxiliaryText(const QString &text) override { texts.append(text); }
    QStringList texts;
};

WCmdButton *addCmdButton(ButtonRig &rig, const Leaves &leaves)
{
    return ButtonRig::bind<WCmdButton>(rig.addControl(QStringLiteral("CmdButton"), QStringLiteral("cmdbutton"),
                                                      nullptr, QString(), {}, leaves));
}

Leaves saved(const WWidget *pWidget)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    XmlWriter writer(&buffer);
    pWidget->writeAttributes(writer);
    Leaves leaves;
    QXmlStreamReader reader(buffer.data());
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("cmdbutton"))
        return leaves;
    while (reader.readNextStartElement())
        leaves.append({reader.name().toString(), reader.readElementText()});
    return leaves;
}

} // namespace

class TestWCmdButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WWidgetFactory::registerWidgetTypes(); }
    void shippedItem();
    void pressHandsTheCommandOn();
    void pressWithoutLinkOnlyFlashes();
    void linkedAcrossThePanel();
    void onImage_data();
    void onImage();
    void textSize_data();
    void textSize();
    void attributes();
    void savedAlwaysWithItsCommand();
};

void TestWCmdButton::shippedItem()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    ButtonRig rig;
    WCmdButton *pButton = addCmdButton(rig, {});
    QVERIFY(pButton && pButton->item());
    for (const char *name : {"text", "hasText", "onImage", "offImage", "hasImage", "imageSize", "hasBorder", "flash"})
        QVERIFY2(pButton->item()->metaObject()->indexOfProperty(name) >= 0, name);
    QCOMPARE(pButton->itemProperty("imageSize").toDouble(), 0.75);
}

// A press gives the linked widget its own copy of the command.
void TestWCmdButton::pressHandsTheCommandOn()
{
    ButtonRig rig;
    WCmdButton *pButton = addCmdButton(rig, {{"command", "PRESET 4"}});
    QVERIFY(pButton);
    AuxiliaryRecorder target;
    pButton->setLinkedWidget(&target);
    QVERIFY(rig.showWindow());
    rig.click(ButtonRig::centreOf(pButton->item()));
    QCOMPARE(target.texts, QStringList{"PRESET 4"});
    pButton->outputPressed();
    QCOMPARE(target.texts, (QStringList{"PRESET 4", "PRESET 4"}));
    QVERIFY(rig.protocol.sends.isEmpty());
}

// Without a link a press changes nothing but the item's 200 ms flash.
void TestWCmdButton::pressWithoutLinkOnlyFlashes()
{
    ButtonRig rig;
    WCmdButton *pButton = addCmdButton(rig, {{"command", "PRESET 4"}, {"title", "Go"}});
    QVERIFY(pButton);
    QVERIFY(rig.showWindow());
    auto *pTimer = pButton->item()->findChild<QObject *>(QStringLiteral("flashTimer"));
    QVERIFY(pTimer);
    QCOMPARE(pTimer->property("interval").toInt(), 200);
    rig.click(ButtonRig::centreOf(pButton->item()));
    QVERIFY(pButton->itemProperty("flash").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(!pButton->itemProperty("flash").toBool(), Patience);
    QCOMPARE(pButton->itemText(), QStringLiteral("Go"));
    QCOMPARE(pButton->command(), QStringLiteral("PRESET 4"));
    QVERIFY(rig.protocol.sends.isEmpty());
}

// A link above 0x8000 names a widget of another control of the panel.
void TestWCmdButton::linkedAcrossThePanel()
{
    ButtonRig rig;
    CComposite panel;
    CControl *pTarget = rig.addButton(nullptr, {}, {{"id", "32801"}});
    CControl *pSource = rig.addControl(QStringLiteral("CmdButton"), QStringLiteral("cmdbutton"), nullptr,
                                       QString(), {}, {{"id", "1"}, {"link", "32801"}, {"command", "X"}});
    panel.addChild(pTarget);
    panel.addChild(pSource);
    pTarget->bind();
    pSource->bind();
    auto *pButton = qobject_cast<WCmdButton *>(pSource->widgets().value(0));
    QVERIFY(pButton);
    QCOMPARE(pButton->linkedWidget(), pTarget->widgets().value(0));
    // No widget of this program acts on a command: nothing is sent.
    pButton->outputPressed();
    QVERIFY(rig.protocol.sends.isEmpty());
    panel.removeChild(pTarget, false);
    panel.removeChild(pSource, false);
}

void TestWCmdButton::onImage_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("hasImage");
    QTest::addColumn<QString>("path");

    QTest::newRow("bare name") << "mute_on" << true << "../images/mute_on.png";
    QTest::newRow("name with a dot") << "D:/pics/lamp.png" << true << "D:/pics/lamp.png";
    QTest::newRow("dot without extension") << "v1.2" << true << "v1.2";
    QTest::newRow("bare name of an archive member") << "MusicPlayer" << true << "archive:MusicPlayer.png";
    QTest::newRow("path of an archive member") << "D:/Demo/image/Demo.png" << true << "archive:Demo.png";
    QTest::newRow("empty") << "" << false << "";
}

// A bare picture name is one of the program's pictures, or the archive's
// file of that name; a name with a dot is taken as it is.
void TestWCmdButton::onImage()
{
    QFETCH(QString, value);
    QFETCH(bool, hasImage);
    QFETCH(QString, path);

    QVERIFY(UArchive::instance().open(QStringLiteral(":/data/Varolin/Demo.cpz")));
    ButtonRig rig;
    WCmdButton *pButton = addCmdButton(rig, {{"onimage", "mute_off"}, {"onimage", value}});
    QVERIFY(pButton);
    QCOMPARE(pButton->itemProperty("hasImage").toBool(), hasImage);
    if (!hasImage)
        return;
    const QString shown = pButton->itemProperty("onImage").toString();
    if (path.startsWith(QLatin1String("archive:"))) {
        const QUrl url(shown);
        QVERIFY2(url.isLocalFile(), qPrintable(shown));
        QCOMPARE(QFileInfo(url.toLocalFile()).fileName(), path.mid(8));
        QVERIFY(QFileInfo::exists(url.toLocalFile()));
    } else {
        QCOMPARE(shown, path);
        QCOMPARE(WCmdButton::picturePath(value), path);
    }
}

void TestWCmdButton::textSize_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("pixelSize");

    // On an item 80 high: half its height for a sign, 0.625 of that for a
    // longer text.
    QTest::newRow("one sign") << "+" << 40;
    QTest::newRow("one letter") << "A" << 40;
    QTest::newRow("two letters") << "Go" << 25;
    QTest::newRow("a word") << "PRESET" << 25;
}

void TestWCmdButton::textSize()
{
    QFETCH(QString, title);
    QFETCH(int, pixelSize);

    ButtonRig rig;
    WCmdButton *pButton = addCmdButton(rig, {{"width", "200"}, {"height", "80"}, {"title", title}});
    QVERIFY(pButton);
    auto *pLabel = pButton->item()->findChild<QQuickItem *>(QStringLiteral("label"));
    QVERIFY(pLabel);
    QCOMPARE(pLabel->property("text").toString(), title);
    QCOMPARE(pLabel->property("font").value<QFont>().pixelSize(), pixelSize);
}

void TestWCmdButton::attributes()
{
    ButtonRig rig;
    WCmdButton *pButton = addCmdButton(rig, {{"imagesize", "0.5"}, {"hasBorder", "0"}});
    QVERIFY(pButton);
    QCOMPARE(pButton->itemProperty("imageSize").toDouble(), 0.5);
    QVERIFY(!pButton->itemProperty("hasBorder").toBool());
    QVERIFY(pButton->readAttribute(QStringLiteral("hasBorder"), QStringLiteral("3")));
    QVERIFY(pButton->itemProperty("hasBorder").toBool());
    QVERIFY(!pButton->itemProperty("hasText").toBool());
    QVERIFY(pButton->readAttribute(QStringLiteral("title"), QStringLiteral("+")));
    QVERIFY(pButton->itemProperty("hasText").toBool());
    QVERIFY(!pButton->readAttribute(QStringLiteral("xfract"), QStringLiteral("0.5")));
    QVERIFY(!pButton->readAttribute(QStringLiteral("Command"), QStringLiteral("x")));
}

void TestWCmdButton::savedAlwaysWithItsCommand()
{
    ButtonRig rig;
    WCmdButton *pPlain = addCmdButton(rig, {{"id", "4"}});
    QVERIFY(pPlain);
    const Leaves plain = saved(pPlain);
    QVERIFY(plain.contains({"command", ""}));
    QVERIFY(plain.contains({"id", "4"}));
    QVERIFY(plain.contains({"hasBorder", "1"}));
    for (const auto &leaf : plain)
        QVERIFY(leaf.first != QLatin1String("title") && leaf.first != QLatin1String("onimage"));

    WCmdButton *pFull = addCmdButton(
        rig, {{"title", "Go"}, {"onimage", "mute_on"}, {"imagesize", "0.5"}, {"command", "PRESET 4"}});
    const Leaves full = saved(pFull);
    for (const auto &leaf : Leaves{{"title", "Go"}, {"onimage", "mute_on"}, {"offimage", ""},
                                   {"imagesize", "0.5"}, {"command", "PRESET 4"}})
        QVERIFY2(full.contains(leaf), qPrintable(leaf.first));
    WCmdButton *pRead = addCmdButton(rig, full);
    QCOMPARE(pRead->command(), QStringLiteral("PRESET 4"));
    QCOMPARE(pRead->itemProperty("onImage").toString(), QStringLiteral("../images/mute_on.png"));
}

VR_TEST_MAIN(TestWCmdButton)
#include "tst_wcmdbutton.moc"
