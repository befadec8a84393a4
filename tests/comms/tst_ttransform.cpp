#include "VrTest.h"

#include "comms/TBin8.h"
#include "comms/TChrL.h"
#include "comms/TGrpV.h"
#include "comms/THexL.h"
#include "comms/TStrL.h"
#include "comms/TStrV.h"
#include "comms/TText.h"
#include "controls/CAttributes.h"
#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "devices/HNode.h"

#include <QPointer>
#include <QSignalSpy>

#include <memory>

class TestTTransform : public QObject
{
    Q_OBJECT

private slots:
    void factoryNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typeName");
        QTest::newRow("bin8") << "bin8" << "Bin8";
        QTest::newRow("idx8 is bin8") << "idx8" << "Bin8";
        QTest::newRow("strV") << "strV" << "StrV";
        QTest::newRow("grpV") << "grpV" << "GrpV";
        QTest::newRow("chrL") << "chrL" << "ChrL";
        QTest::newRow("hexL") << "hexL" << "HexL";
        QTest::newRow("strL") << "strL" << "StrL";
        QTest::newRow("text") << "text" << "Text";
        QTest::newRow("passThrough") << "passThrough" << "PassThrough";
        QTest::newRow("case differs") << "Bin8" << "";
        QTest::newRow("leading blank") << " bin8" << "";
        QTest::newRow("empty") << "" << "";
    }
    void factoryNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, typeName);
        std::unique_ptr<TTransform> pTransform(TTransformFactory::createTransform(name));
        QCOMPARE(pTransform ? pTransform->typeName() : QString(), typeName);
    }

    void indexesFallBackToTheBinding()
    {
        CAttributes attributes;
        attributes.setIndex1(3);
        attributes.setIndex2(7);
        TBin8 transform;
        transform.setOwner(&attributes);
        QCOMPARE(transform.readIndex(), 3);
        QCOMPARE(transform.readSubIndex(), 7);
        QCOMPARE(transform.writeIndex(), 3);
        transform.setIndexes(0, 5, true);
        QCOMPARE(transform.readIndex(), 0);
        QCOMPARE(transform.readSubIndex(), 5);
        QVERIFY(transform.isSelected());
        // The flag alone leaves the read indexes as they are.
        transform.setSelected(false);
        QVERIFY(!transform.isSelected());
        QCOMPARE(transform.readIndex(), 0);
        QCOMPARE(transform.readSubIndex(), 5);
        TBin8 unset;
        unset.setOwner(&attributes);
        unset.setSelected(true);
        QVERIFY(unset.isSelected());
        QCOMPARE(unset.readIndex(), 3);
        QCOMPARE(unset.readSubIndex(), 7);
    }

    void tickFollowsTheDivider()
    {
        TBin8 transform;
        QList<bool> ticks;
        for (int i = 0; i < 6; ++i)
            ticks.append(transform.tick());
        QCOMPARE(ticks, (QList<bool>{true, false, false, false, true, false}));
        transform.setDivider(1);
        QVERIFY(transform.tick() && transform.tick());
    }

    void chainAndCycleRefused()
    {
        TBin8 a, b, c;
        CAttributes attributes;
        a.setOwner(&attributes);
        attributes.setLinkedTransform(&b);
        QVERIFY(a.attachNext());
        QCOMPARE(a.next(), &b);
        QVERIFY(c.setNext(&a));
        QCOMPARE(b.chainRoot(), &c);
        // b -> c would close c -> a -> b -> c.
        QVERIFY(!b.setNext(&c));
        QCOMPARE(b.next(), nullptr);
        QVERIFY(!a.setNext(&a));
        QVERIFY(b.relinkRoot() == false); // b has no next
    }

    void sharedTransformLivesUntilItsLastUser()
    {
        QPointer<TTransform> pTransform = new TStrV;
        pTransform->retain();
        pTransform->retain();
        pTransform->release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(pTransform);
        pTransform->release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!pTransform);
    }

    void registryForgetsDestroyedControls()
    {
        auto *pFirst = new CControl;
        CControl second;
        TTransformFactory::registerControl(pFirst);
        TTransformFactory::registerControl(nullptr);
        TTransformFactory::registerControl(&second);
        QCOMPARE(TTransformFactory::registeredControls().size(), 2);
        delete pFirst;
        QCOMPARE(TTransformFactory::registeredControls(), QList<CControl *>{&second});
        TTransformFactory::unregisterControl(&second);
        QVERIFY(TTransformFactory::registeredControls().isEmpty());
        TTransformFactory::registerControl(&second);
        TTransformFactory::clearRegistry();
        QVERIFY(TTransformFactory::registeredControls().isEmpty());
    }

    void bin8Text_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("value");
        QTest::newRow("hex") << "0x1F" << 31u;
        QTest::newRow("decimal") << "31" << 31u;
        QTest::newRow("too big") << "40000" << 0u;
        QTest::newRow("no number") << "abc" << 0u;
    }
    void bin8Text()
    {
        QFETCH(QString, text);
        QFETCH(quint32, value);
        TBin8 transform;
        transform.setUIntValue(99);
        transform.setText(text);
        QCOMPARE(transform.uintValue(), value);
        QSignalSpy ready(&transform, &TTransform::replyValueReady);
        transform.receiveText(text);
        QCOMPARE(ready.size(), 1);
        QCOMPARE(transform.replyUIntValue(), value);
        transform.setReplyText(QString());
        QCOMPARE(ready.size(), 1); // an empty reply changes nothing
    }

    void grpVFloat_data()
    {
        QTest::addColumn<double>("dB");
        QTest::addColumn<QString>("code");
        QTest::newRow("2.3") << 2.3 << "7c";
        QTest::newRow("2.6") << 2.6 << "7d";
        QTest::newRow("-2.6") << -2.6 << "73";
        QTest::newRow("12.7 capped") << 12.7 << "90";
        QTest::newRow("-60") << -60.0 << "0";
        QTest::newRow("-60.5 off") << -60.5 << "FF";
        QTest::newRow("-70 off") << -70.0 << "FF";
        QTest::newRow("0") << 0.0 << "78";
    }
    void grpVFloat()
    {
        QFETCH(double, dB);
        QFETCH(QString, code);
        TGrpV transform;
        transform.setFloatValue(dB);
        QCOMPARE(transform.text(), code);
    }

    void grpVTextAndReplies()
    {
        TGrpV transform;
        transform.setText(QStringLiteral("-6"));
        QCOMPARE(transform.text(), QStringLiteral("6c"));
        QCOMPARE(transform.floatValue(), -6.0);
        QCOMPARE(int(transform.uintValue()), -6);
        transform.setText(QStringLiteral("loud"));
        QCOMPARE(transform.text(), QStringLiteral("78"));
        transform.setText(QStringLiteral("20"));
        QCOMPARE(transform.text(), QStringLiteral("90"));
        transform.setText(QStringLiteral("-70"));
        QCOMPARE(transform.text(), QStringLiteral("FF"));
        transform.setData(3);
        QCOMPARE(transform.text(), QStringLiteral("7e"));
        transform.setData(13);
        QCOMPARE(transform.text(), QStringLiteral("90"));
        transform.receiveText(QStringLiteral("ff"));
        QCOMPARE(transform.replyFloatValue(), -60.5);
        transform.receiveText(QStringLiteral("7c"));
        QCOMPARE(transform.replyFloatValue(), 2.0);
        QCOMPARE(transform.replyUIntValue(), 2u);
        transform.receiveText(QStringLiteral("zz"));
        QCOMPARE(transform.replyFloatValue(), -60.0);
    }

    // Whole dB steps from 0 dB, at most +12 dB.
    void grpVData_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QString>("code");
        QTest::newRow("0") << 0 << "78";
        QTest::newRow("1") << 1 << "7a";
        QTest::newRow("11") << 11 << "8e";
        QTest::newRow("12, the most") << 12 << "90";
        QTest::newRow("13 capped") << 13 << "90";
        QTest::newRow("255 capped") << 255 << "90";
    }
    void grpVData()
    {
        QFETCH(int, steps);
        TGrpV transform;
        transform.setData(quint8(steps));
        QTEST(transform.text(), "code");
    }

    // A node of type "3" takes the raw code of a reply; any other node the
    // whole dB from 0 dB. The float value is always in dB.
    void grpVReplyByNodeType_data()
    {
        QTest::addColumn<QString>("typenum");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<quint32>("uintValue");
        QTest::addColumn<double>("dB");
        QTest::newRow("type 3") << "3" << "7c" << 124u << 2.0;
        QTest::newRow("type 3, top") << "3" << "90" << 144u << 12.0;
        QTest::newRow("type 2") << "2" << "7c" << 2u << 2.0;
        QTest::newRow("type 30") << "30" << "7c" << 2u << 2.0;
        QTest::newRow("no type") << "" << "90" << 12u << 12.0;
        QTest::newRow("type 3, not a number") << "3" << "zz" << 0u << -60.0;
    }
    void grpVReplyByNodeType()
    {
        QFETCH(QString, typenum);
        QFETCH(QString, reply);
        HNode node;
        node.setTypenum(typenum);
        TGrpV transform;
        transform.setOwnerNode(&node);
        transform.receiveText(reply);
        QTEST(transform.replyUIntValue(), "uintValue");
        QTEST(transform.replyFloatValue(), "dB");
    }

    // The display text carries "%" when the binding's units are exactly
    // "pct".
    void displayTextPercent_data()
    {
        QTest::addColumn<QString>("transform");
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("shown");
        QTest::newRow("grpV pct") << "grpV" << "pct" << "12.5%";
        QTest::newRow("grpV dB") << "grpV" << "dB" << "12.5";
        QTest::newRow("grpV PCT") << "grpV" << "PCT" << "12.5";
        QTest::newRow("strV pct") << "strV" << "pct" << "12.5%";
        QTest::newRow("strV none") << "strV" << "" << "12.5";
    }
    void displayTextPercent()
    {
        QFETCH(QString, transform);
        QFETCH(QString, units);
        CAttributes attributes;
        attributes.setUnits(units);
        attributes.setDecimals(1);
        std::unique_ptr<TTransform> pTransform(TTransformFactory::createTransform(transform));
        QVERIFY(pTransform);
        pTransform->setOwner(&attributes);
        pTransform->configure();
        pTransform->setDisplayValue(12.5);
        QTEST(pTransform->displayText(), "shown");
    }

    // Whether a reply gives a number to show: the sync-error text and stray
    // words do not.
    void replyIsNumber_data()
    {
        QTest::addColumn<QString>("transform");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("number");
        QTest::newRow("strV decimal") << "strV" << "-6.5" << true;
        QTest::newRow("strV blanks around") << "strV" << " 3 " << true;
        QTest::newRow("strV sync error") << "strV" << "SYNC_ERROR" << false;
        QTest::newRow("strV empty") << "strV" << "" << false;
        QTest::newRow("strV trailing word") << "strV" << "3 dB" << false;
        QTest::newRow("grpV code") << "grpV" << "7c" << true;
        QTest::newRow("grpV off") << "grpV" << "ff" << true;
        QTest::newRow("grpV sync error") << "grpV" << "SYNC_ERROR" << false;
        QTest::newRow("bin8 hex") << "bin8" << "0x1F" << true;
        QTest::newRow("bin8 too big") << "bin8" << "40000" << true;
        QTest::newRow("bin8 sync error") << "bin8" << "SYNC_ERROR" << false;
    }
    void replyIsNumber()
    {
        QFETCH(QString, transform);
        QFETCH(QString, reply);
        std::unique_ptr<TTransform> pTransform(TTransformFactory::createTransform(transform));
        QVERIFY(pTransform);
        pTransform->receiveText(reply);
        QTEST(pTransform->replyIsNumber(), "number");
    }

    // A device text far outside the code range must not wrap the offset
    // from 0 dB around: "-80000000" reads as the smallest int.
    void grpVRepliesFarOutOfRange_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<double>("dB");
        QTest::addColumn<qint64>("steps");
        QTest::newRow("smallest int") << "-80000000" << -1073741884.0 << qint64(-1073741884);
        QTest::newRow("largest int") << "7fffffff" << 1073741763.5 << qint64(1073741763);
        QTest::newRow("negative code") << "-1" << -60.5 << qint64(-60);
    }
    void grpVRepliesFarOutOfRange()
    {
        QFETCH(QString, reply);
        QFETCH(qint64, steps);
        TGrpV transform;
        transform.receiveText(reply);
        QTEST(transform.replyFloatValue(), "dB");
        QCOMPARE(transform.replyUIntValue(), quint32(steps));
        QCOMPARE(transform.replyByteValue(), quint8(steps));
    }

    void displayTextWithDecimalsAndPercent()
    {
        CAttributes attributes;
        attributes.setUnits(QStringLiteral("pct"));
        TStrV transform;
        transform.setOwner(&attributes);
        attributes.setOwnerTransform(&transform);
        attributes.setDecimals(2);
        transform.setDisplayValue(12.5);
        QCOMPARE(transform.displayText(), QStringLiteral("12.50%"));
        transform.setFloatValue(-6.04);
        QCOMPARE(transform.text(), QStringLiteral("-6.0"));
        transform.receiveText(QStringLiteral("x"));
        QCOMPARE(transform.replyUIntValue(), 0u);
    }

    void lists()
    {
        CAttributes attributes;
        attributes.setSet(QStringLiteral("Off,On,Auto"));
        TChrL chr;
        chr.setOwner(&attributes);
        chr.configure();
        chr.setText(QStringLiteral("Auto"));
        QCOMPARE(chr.byteValue(), quint8(2));
        chr.setData(7);
        QCOMPARE(chr.text(), QStringLiteral("?"));
        chr.receiveText(QStringLiteral("On"));
        QCOMPARE(chr.replyText(), QStringLiteral("On"));
        chr.setText(QStringLiteral("none"));
        QCOMPARE(chr.byteValue(), quint8(0));

        attributes.setSet(QStringLiteral("41,42,zz,1,2,3,4,5,6,7,8,9,a,b,c,d,e,f"));
        THexL hexl;
        hexl.setOwner(&attributes);
        hexl.configure();
        hexl.setData(0);
        QCOMPARE(hexl.text(), QStringLiteral("A"));
        hexl.setData(2);
        QCOMPARE(hexl.byteValue(), quint8(0)); // not a hex number
        hexl.setData(15);
        QCOMPARE(hexl.byteValue(), quint8(0xd)); // the 17th and 18th are ignored
        hexl.setData(16);
        QCOMPARE(hexl.byteValue(), quint8(255));
        QCOMPARE(hexl.text(), QStringLiteral("?"));

        attributes.setSet(QStringLiteral("a,b,,c"));
        TStrL strl;
        strl.setOwner(&attributes);
        strl.configure();
        strl.setText(QStringLiteral("b"));
        QCOMPARE(strl.text(), QStringLiteral("b"));
        strl.setText(QStringLiteral("c")); // reading stopped at the empty piece
        QCOMPARE(strl.byteValue(), quint8(0));
        strl.setData(8);
        QCOMPARE(strl.text(), QStringLiteral("?"));
    }

    // The two list transforms part on an empty text: the chrL list never
    // matches it, the strL entries match it at their first empty slot; and
    // only chrL takes a received text as its reply.
    void listsTakeTextsBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("replyIndex");
        QTest::newRow("chrL entry") << "chrL" << "Off,,On" << "On" << 2 << 2;
        QTest::newRow("chrL empty text") << "chrL" << "Off,,On" << "" << 0 << 0;
        QTest::newRow("chrL unknown") << "chrL" << "Off,,On" << "Auto" << 0 << 0;
        QTest::newRow("strL entry") << "strL" << "a,b" << "b" << 1 << 0;
        QTest::newRow("strL empty text") << "strL" << "a,b" << "" << 2 << 0;
    }

    void listsTakeTextsBack()
    {
        QFETCH(QString, name);
        QFETCH(QString, set);
        QFETCH(QString, text);
        QFETCH(int, index);
        QFETCH(int, replyIndex);
        CAttributes attributes;
        attributes.setSet(set);
        std::unique_ptr<TTransform> pTransform(TTransformFactory::createTransform(name));
        QVERIFY(pTransform);
        pTransform->setOwner(&attributes);
        pTransform->configure();
        pTransform->setText(text);
        QCOMPARE(int(pTransform->byteValue()), index);
        pTransform->receiveText(text);
        QCOMPARE(int(pTransform->replyByteValue()), replyIndex);
    }

    void textCarriesItsTexts()
    {
        TText text;
        QSignalSpy ready(&text, &TTransform::replyValueReady);
        text.setText(QStringLiteral("out"));
        text.setCommandId(5);
        text.setAuxText(QStringLiteral("IDS_NETWORK_ERROR"));
        text.receiveText(QStringLiteral("in"));
        QCOMPARE(ready.size(), 1);
        QCOMPARE(text.dataSize(), 3);
        QCOMPARE(text.replyText(), QStringLiteral("in"));
    }
};

VR_TEST_MAIN(TestTTransform)
#include "tst_ttransform.moc"
