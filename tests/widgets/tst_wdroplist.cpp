#include "VrTest.h"

#include "DropListRig.h"
#include "NodeProperties.h"

#include "controls/VModeManager.h"
#include "controls/WDelegate.h"
#include "devices/HBlock.h"
#include "project/XmlWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMetaMethod>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

constexpr int Patience = 5000;

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The widget's element as it saves itself.
QString savedElement(const WDropList *pList)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    XmlWriter writer(&buffer);
    pList->writeAttributes(writer);
    return QString::fromUtf8(buffer.data());
}

// The leaves of a saved element, in order, without the base geometry.
Leaves savedLeaves(const QString &element)
{
    static const QStringList base = {"id", "x", "y", "width", "height", "z", "xfract", "yfract",
                                     "widthfract", "heightfract"};
    static const QRegularExpression leaf(QStringLiteral("<(\\w+)>([^<]*)</\\1>"));
    Leaves leaves;
    QRegularExpressionMatchIterator it = leaf.globalMatch(element);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (!base.contains(match.captured(1)))
            leaves.append({match.captured(1), match.captured(2)});
    }
    return leaves;
}

} // namespace

// The drop list's own side: the attributes it reads and writes, the list
// files it reads, and its pop-up list, driven through the shipped QML.
// What it sends is checked against the simulated device in
// tst_wdroplistdevice.
class TestWDropList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void itemFindsWhatItCalls();
    void readsTheListAttributes_data();
    void readsTheListAttributes();
    void alignmentAndBorder_data();
    void alignmentAndBorder();
    void savesWhatItReadsBack();
    void readsListFilesOnlyInThePanelFolder_data();
    void readsListFilesOnlyInThePanelFolder();
    void listFileNeedsAPanelFile();
    void popupThroughItsQml();
    void openingAnotherPopupClosesTheFirst_data();
    void openingAnotherPopupClosesTheFirst();
    void deletedWhileItsPopupShows();

private:
    WDropList *addShown(const Leaves &list, HNode *pNode = nullptr, int x = 40, int y = 40);
    bool openByClick(WDropList *pList);

    std::unique_ptr<DropListRig> m_pRig;
};

void TestWDropList::init()
{
    m_pRig = std::make_unique<DropListRig>();
}

void TestWDropList::cleanup()
{
    m_pRig.reset();
}

WDropList *TestWDropList::addShown(const Leaves &list, HNode *pNode, int x, int y)
{
    CControl *pControl = m_pRig->addDropList(QStringLiteral("List"), pNode, Leaves(), list, x, y);
    WDropList *pList = DropListRig::bind(pControl);
    if (!m_pRig->window.isVisible() && !m_pRig->showWindow())
        return nullptr;
    return pList;
}

bool TestWDropList::openByClick(WDropList *pList)
{
    return m_pRig->openPopup(pList);
}

// The item and its pop-up reach the native side by these names.
void TestWDropList::itemFindsWhatItCalls()
{
    WDropList *pList = addShown({{"msg", "A"}});
    QVERIFY(pList);
    const QMetaObject *pMeta = pList->metaObject();
    QVERIFY(pMeta->indexOfSignal("titleChanged(QString)") >= 0);
    QVERIFY(pMeta->indexOfSlot("outputCurrentIndex(int)") >= 0);
    QVERIFY(pMeta->indexOfSlot("popupList(QObject*)") >= 0);
    QVERIFY(pMeta->indexOfSlot("listSelect(int)") >= 0);
    for (const char *property : {"currentIndex", "currentText", "hasBorder", "horizontalAlignment", "model"})
        QVERIFY2(pList->item()->metaObject()->indexOfProperty(property) >= 0, property);
}

void TestWDropList::readsTheListAttributes_data()
{
    QTest::addColumn<Leaves>("list");
    QTest::addColumn<QString>("nodeEntries");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QList<int>>("values");

    QTest::newRow("texts") << Leaves{{"msg", "Off,Low,High"}} << QString() << QStringList{"Off", "Low", "High"}
                           << QList<int>{1, 2, 3};
    QTest::newRow("a table with 0") << Leaves{{"msg", "A,B,C"}, {"index", "0,5,7"}} << QString()
                                    << QStringList{"A", "B", "C"} << QList<int>{1, 6, 8};
    QTest::newRow("a table without 0") << Leaves{{"msg", "A,B,C"}, {"index", "3,5,7"}} << QString()
                                       << QStringList{"A", "B", "C"} << QList<int>{3, 5, 7};
    QTest::newRow("a table with a word") << Leaves{{"msg", "A,B"}, {"index", "x,4"}} << QString()
                                         << QStringList{"A", "B"} << QList<int>{1, 5};
    QTest::newRow("a table up to an empty section")
        << Leaves{{"msg", "A,B,C"}, {"index", "2,,9"}} << QString() << QStringList{"A", "B", "C"} << QList<int>{2};
    QTest::newRow("two commas in a row") << Leaves{{"msg", "A,B,,C"}} << QString() << QStringList{"A", "B"}
                                         << QList<int>{1, 2};
    QTest::newRow("a trailing comma") << Leaves{{"msg", "A,B,"}} << QString() << QStringList{"A", "B"}
                                      << QList<int>{1, 2};
    QTest::newRow("no text") << Leaves{{"msg", ""}} << QString() << QStringList() << QList<int>();
    // Every source starts afresh: a table read before it is gone.
    QTest::newRow("a table before the texts") << Leaves{{"index", "7,8"}, {"msg", "A,B"}} << QString()
                                              << QStringList{"A", "B"} << QList<int>{1, 2};
    QTest::newRow("the node's entries") << Leaves{{"item", "x"}} << "Quiet,Normal,Loud"
                                        << QStringList{"Quiet", "Normal", "Loud"} << QList<int>{1, 2, 3};
    QTest::newRow("the node has no entries") << Leaves{{"msg", "A"}, {"item", "x"}} << ""
                                             << QStringList() << QList<int>();
    QTest::newRow("entries without a node") << Leaves{{"msg", "A"}, {"item", "x"}} << QString()
                                            << QStringList() << QList<int>();
    QTest::newRow("a group without a group node") << Leaves{{"msg", "A"}, {"group", "1"}} << ""
                                                  << QStringList() << QList<int>();
}

void TestWDropList::readsTheListAttributes()
{
    QFETCH(Leaves, list);
    QFETCH(QString, nodeEntries);
    QFETCH(QStringList, items);
    QFETCH(QList<int>, values);

    HNode *pNode = nullptr;
    if (!nodeEntries.isNull()) {
        pNode = new HBlock;
        NodeProperties::read(*pNode, {"title=Gain", "label=Level Choice"});
        pNode->setEntriesText(nodeEntries);
        m_pRig->root.addChild(pNode);
    }
    WDropList *pList = addShown(list, pNode);
    QVERIFY(pList);
    QCOMPARE(pList->items(), items);
    QCOMPARE(pList->values(), values);
    QCOMPARE(pList->currentIndex(), -1);
}

void TestWDropList::alignmentAndBorder_data()
{
    QTest::addColumn<QString>("align");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("saved");

    QTest::newRow("center in capitals") << "CENTER" << int(Qt::AlignHCenter) << "Center";
    QTest::newRow("right") << "right" << int(Qt::AlignRight) << "Right";
    QTest::newRow("left") << "Left" << int(Qt::AlignLeft) << "Left";
    QTest::newRow("anything else") << "middle" << int(Qt::AlignLeft) << "Left";
}

// The text is drawn where "align" puts it, and saved as the word with its
// first letter in capitals; "hasBorder" draws the border or not.
void TestWDropList::alignmentAndBorder()
{
    QFETCH(QString, align);
    QFETCH(int, alignment);
    QFETCH(QString, saved);

    WDropList *pList = addShown({{"msg", "A,B"}, {"hasBorder", "0"}, {"align", align}});
    QVERIFY(pList);
    QCOMPARE(pList->itemProperty("horizontalAlignment").toInt(), alignment);
    auto *pText = pList->item()->findChild<QQuickItem *>(QStringLiteral("currentText"));
    QVERIFY(pText);
    QCOMPARE(pText->property("horizontalAlignment").toInt(), alignment);
    QCOMPARE(pList->itemProperty("hasBorder").toBool(), false);
    QCOMPARE(pList->item()->property("border").value<QObject *>()->property("width").toReal(), 0.0);
    const Leaves leaves = savedLeaves(savedElement(pList));
    QVERIFY(leaves.contains(QPair<QString, QString>("align", saved)));
    QVERIFY(leaves.contains(QPair<QString, QString>("hasBorder", "0")));

    WDropList *pBordered = addShown({{"msg", "A"}, {"hasBorder", "1"}}, nullptr, 40, 100);
    QVERIFY(pBordered->item()->property("border").value<QObject *>()->property("width").toReal() > 0.0);
}

// What it saves reads back into the same list: texts as "msg", values as
// "index", and the switches only when set.
void TestWDropList::savesWhatItReadsBack()
{
    WDropList *pList = addShown({{"msg", "A,B,C"}, {"index", "0,5,7"}, {"align", "center"},
                                 {"index1ForQuery", "2"}});
    QVERIFY(pList);
    const Leaves saved = savedLeaves(savedElement(pList));
    const Leaves expected = {{"msg", "A,B,C"}, {"index", "1,6,8"}, {"hasBorder", "1"},
                             {"align", "Center"}, {"index1ForQuery", "2"}};
    QCOMPARE(saved, expected);

    WDropList *pCopy = addShown(saved, nullptr, 40, 100);
    QCOMPARE(pCopy->items(), pList->items());
    QCOMPARE(pCopy->values(), pList->values());
    QCOMPARE(pCopy->index1ForQuery(), 2);
    QCOMPARE(savedLeaves(savedElement(pCopy)), expected);

    // Without a query index none is saved.
    WDropList *pPlain = addShown({{"msg", "A"}}, nullptr, 40, 160);
    QVERIFY(!savedElement(pPlain).contains(QStringLiteral("index1ForQuery")));
    QVERIFY(!savedElement(pPlain).contains(QStringLiteral("sourceList")));
}

void TestWDropList::readsListFilesOnlyInThePanelFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("beside the panel") << "Rooms.txt" << QStringList{"Hall", "", "Bar"};
    QTest::newRow("in a folder beside it") << "lists/Zones.txt" << QStringList{"North", "South"};
    QTest::newRow("up a folder") << "../Outside.txt" << QStringList();
    QTest::newRow("up and back down") << "lists/../Rooms.txt" << QStringList();
    QTest::newRow("up a folder, backslashes") << "..\\Outside.txt" << QStringList();
    QTest::newRow("absolute") << "<absolute>" << QStringList();
    QTest::newRow("missing") << "Missing.txt" << QStringList();
    QTest::newRow("a link out of the folder") << "Link.txt" << QStringList();
    QTest::newRow("a folder") << "lists" << QStringList();
    QTest::newRow("no name") << "" << QStringList();
}

// A list file is one entry a line, numbered from 1, read from the folder
// the panel file was read from. Its name comes from that panel file: one
// that leads out of the folder reads nothing.
void TestWDropList::readsListFilesOnlyInThePanelFolder()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);

    QTemporaryDir top;
    QVERIFY(top.isValid());
    QDir dir(top.path());
    QVERIFY(dir.mkpath(QStringLiteral("panel/lists")));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("Outside.txt")), "Secret\n"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("panel/Rooms.txt")), "Hall\n\nBar\n"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("panel/lists/Zones.txt")), "North\r\nSouth"));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("Outside.txt")), dir.filePath(QStringLiteral("panel/Link.txt"))));
    WDelegate::instance()->setPanelFilePath(dir.filePath(QStringLiteral("panel/Panel.cpf")));
    if (name == QLatin1String("<absolute>"))
        name = dir.filePath(QStringLiteral("panel/Rooms.txt"));

    WDropList *pList = addShown({{"msg", "Before"}, {"file", name}});
    QVERIFY(pList);
    QCOMPARE(pList->items(), items);
    QList<int> values;
    for (int i = 1; i <= items.size(); ++i)
        values.append(i);
    QCOMPARE(pList->values(), values);
    QCOMPARE(pList->listSource(), int(WDropList::FileSource));
}

// Without a panel file there is no folder to read a list from, not even
// the working folder.
void TestWDropList::listFileNeedsAPanelFile()
{
    QVERIFY(writeFile(QDir::current().filePath(QStringLiteral("Here.txt")), "One\nTwo\n"));
    WDelegate::instance()->setPanelFilePath(QString());
    WDropList *pList = addShown({{"file", "Here.txt"}});
    QVERIFY(pList);
    QCOMPARE(pList->items(), QStringList());

    WDelegate::instance()->setPanelFilePath(QDir::current().filePath(QStringLiteral("Panel.cpf")));
    WDropList *pBeside = addShown({{"file", "Here.txt"}}, nullptr, 40, 100);
    QCOMPARE(pBeside->items(), QStringList({"One", "Two"}));
}

// A click on the item opens the list over the canvas, with the current
// entry marked; a click on an entry chooses it and closes the list; a
// click outside only closes it.
void TestWDropList::popupThroughItsQml()
{
    WDropList *pList = addShown({{"msg", "Off,Low,High"}});
    QVERIFY(pList);
    VModeManager *pModes = VModeManager::instance();
    QCOMPARE(pModes->modalItem(), nullptr);

    QVERIFY(openByClick(pList));
    QPointer<QObject> pPopup = pList->popup();
    auto *pPopupItem = qobject_cast<QQuickItem *>(pPopup);
    QVERIFY(pPopupItem);
    QCOMPARE(pPopupItem->parentItem(), m_pRig->window.contentItem());
    QCOMPARE(pModes->modalItem(), pPopup.data());
    QCOMPARE(pPopup->property("model").toStringList(), QStringList({"Off", "Low", "High"}));
    QCOMPARE(pPopup->property("index").toInt(), -1);
    QVERIFY(DropListRig::entry(pList, 2));
    QQuickItem *pEntry = DropListRig::entry(pList, 1);
    QVERIFY(pEntry);

    m_pRig->click(DropListRig::centreOf(pEntry));
    QVERIFY(!pList->popup());
    QCOMPARE(pModes->modalItem(), nullptr);
    QCOMPARE(pList->currentIndex(), 1);
    QCOMPARE(pList->itemProperty("currentIndex").toInt(), 1);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("Low"));
    auto *pText = pList->item()->findChild<QQuickItem *>(QStringLiteral("currentText"));
    QCOMPARE(pText->property("text").toString(), QStringLiteral("Low"));
    // Gone from the screen at once, and deleted soon after.
    QVERIFY(!pPopup || !pPopup->property("visible").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(!pPopup, Patience);

    // Opened again: the current entry is marked.
    QVERIFY(openByClick(pList));
    pPopup = pList->popup();
    QCOMPARE(pPopup->property("index").toInt(), 1);
    QVERIFY(DropListRig::entry(pList, 0) && DropListRig::entry(pList, 1));
    QVERIFY(DropListRig::entry(pList, 1)->property("current").toBool());
    QVERIFY(!DropListRig::entry(pList, 0)->property("current").toBool());

    // A click beside the list closes it and chooses nothing.
    auto *pBox = pPopup->findChild<QQuickItem *>(QStringLiteral("listBox"));
    QVERIFY(pBox);
    const QPointF beside = pBox->mapToScene(QPointF(-10, -10));
    QVERIFY(beside.x() > 0 && beside.y() > 0);
    m_pRig->click(beside);
    QVERIFY(!pList->popup());
    QCOMPARE(pModes->modalItem(), nullptr);
    QCOMPARE(pList->currentIndex(), 1);
    QCOMPARE(pList->itemProperty("currentText").toString(), QStringLiteral("Low"));
    QTRY_VERIFY_WITH_TIMEOUT(!pPopup, Patience);
}

void TestWDropList::openingAnotherPopupClosesTheFirst_data()
{
    QTest::addColumn<bool>("sameList");
    QTest::newRow("the same list") << true;
    QTest::newRow("another list") << false;
}

// One list shows at a time: opening one closes the list that showed, which
// reports nothing any more, even before it is deleted.
void TestWDropList::openingAnotherPopupClosesTheFirst()
{
    QFETCH(bool, sameList);

    WDropList *pFirst = addShown({{"msg", "A,B,C"}});
    WDropList *pSecond = sameList ? pFirst : addShown({{"msg", "X,Y"}}, nullptr, 40, 100);
    QVERIFY(pFirst && pSecond);
    QVERIFY(openByClick(pFirst));
    QPointer<QObject> pOld = pFirst->popup();

    // The overlay covers the canvas: the item's own opener stands for a
    // second click that reached it.
    QVERIFY(QMetaObject::invokeMethod(pSecond->item(), "openPopup"));
    QPointer<QObject> pNew = pSecond->popup();
    QVERIFY(pNew);
    QVERIFY(pNew != pOld);
    QCOMPARE(VModeManager::instance()->modalItem(), pNew.data());
    if (!sameList)
        QVERIFY(!pFirst->popup());
    QVERIFY(!pOld || !pOld->property("visible").toBool());
    if (pOld)
        QVERIFY(QMetaObject::invokeMethod(pOld, "listClick", Q_ARG(int, 0)));
    QCOMPARE(pFirst->currentIndex(), -1);
    QCOMPARE(pSecond->popup(), pNew.data());
    QTRY_VERIFY_WITH_TIMEOUT(!pOld, Patience);
    QVERIFY(pNew);
    QCOMPARE(VModeManager::instance()->modalItem(), pNew.data());
}

// A list that goes while its pop-up shows takes the pop-up with it, and
// the mode manager holds no modal item any more.
void TestWDropList::deletedWhileItsPopupShows()
{
    CControl *pControl = m_pRig->addDropList(QStringLiteral("List"), nullptr, Leaves(), {{"msg", "A,B"}});
    QPointer<WDropList> pList = DropListRig::bind(pControl);
    QVERIFY(m_pRig->showWindow());
    QVERIFY(openByClick(pList));
    QPointer<QObject> pPopup = pList->popup();
    QVERIFY(pPopup);
    QCOMPARE(VModeManager::instance()->modalItem(), pPopup.data());

    m_pRig->removeControl(pControl);
    QTRY_VERIFY_WITH_TIMEOUT(!pList, Patience);
    QVERIFY(!pPopup);
    QCOMPARE(VModeManager::instance()->modalItem(), nullptr);
    // The canvas takes clicks again.
    m_pRig->click(QPointF(10, 10));
}

VR_TEST_MAIN(TestWDropList)
#include "tst_wdroplist.moc"
