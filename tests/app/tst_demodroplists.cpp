#include "VrTest.h"

#include "ModelFixture.h"

#include "controls/CComposite.h"
#include "controls/CControl.h"
#include "controls/WDelegate.h"
#include "widgets/WDropList.h"

#include <QFileInfo>

namespace {

// The drop list of the named control on the demo's "Lists" scene.
WDropList *demoList(CComposite *pScenes, const QString &controlName)
{
    for (int s = 0; s < pScenes->childCount(); ++s) {
        CControl *pScene = pScenes->childAt(s);
        if (pScene->name() != QLatin1String("Lists"))
            continue;
        for (int p = 0; p < pScene->childCount(); ++p) {
            CControl *pPanel = pScene->childAt(p);
            for (int c = 0; c < pPanel->childCount(); ++c) {
                CControl *pControl = pPanel->childAt(c);
                if (pControl->name() == controlName)
                    return qobject_cast<WDropList *>(pControl->widgetByType(QStringLiteral("droplist")));
            }
        }
    }
    return nullptr;
}

} // namespace

// The demo project's drop lists, as the program loads them from its
// built-in archive.
class TestDemoDropLists : public QObject
{
    Q_OBJECT

private slots:
    void listsHaveTheirEntries();
};

// The scene list offers the design's parameter sets and is read back at
// its second index; the music source's entries come from the list file
// unpacked beside the archive's panel file.
void TestDemoDropLists::listsHaveTheirEntries()
{
    ModelFixture f;
    f.model->loadProject(MModel::projectFilePath());

    WDropList *pScene = demoList(f.model->scenes(), QStringLiteral("Scene"));
    QVERIFY(pScene);
    QVERIFY(pScene->isParameterSetList());
    QCOMPARE(pScene->items(), (QStringList{"Morning", "Conference", "Evening Concert"}));
    QCOMPARE(pScene->values(), (QList<int>{61, 62, 63}));
    QCOMPARE(pScene->index1ForQuery(), 2);
    QVERIFY(pScene->transform());
    QCOMPARE(pScene->transform()->readIndex(), 2);

    WDropList *pSource = demoList(f.model->scenes(), QStringLiteral("Music Source"));
    QVERIFY(pSource);
    QCOMPARE(pSource->items(),
             (QStringList{"Radio", "Streaming Player", "Laptop Input", "Stage Microphone", "Silence"}));
    QCOMPARE(pSource->values(), (QList<int>{1, 2, 3, 4, 5}));
    QCOMPARE(pSource->node()->label(), QStringLiteral("Music Source"));
    QCOMPARE(QFileInfo(WDelegate::instance()->panelFilePath()).fileName(), QStringLiteral("Demo.cpf"));
}

VR_TEST_MAIN(TestDemoDropLists)
#include "tst_demodroplists.moc"
