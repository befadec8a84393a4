#include "VrTest.h"

#include "ModelFixture.h"

#include "controls/CComposite.h"
#include "controls/CControl.h"
#include "roomcombine/HRCGroup.h"
#include "roomcombine/HRCRoom.h"
#include "roomcombine/WActiveCombo.h"
#include "roomcombine/WComboSelection.h"
#include "roomcombine/WRoomSelection.h"

namespace {

// The named control of the demo's "Rooms" scene.
CControl *roomsControl(CComposite *pScenes, const QString &name)
{
    for (int s = 0; s < pScenes->childCount(); ++s) {
        CControl *pScene = pScenes->childAt(s);
        if (pScene->name() != QLatin1String("Rooms"))
            continue;
        for (int p = 0; p < pScene->childCount(); ++p) {
            CControl *pPanel = pScene->childAt(p);
            for (int c = 0; c < pPanel->childCount(); ++c) {
                if (pPanel->childAt(c)->name() == name)
                    return pPanel->childAt(c);
            }
        }
    }
    return nullptr;
}

} // namespace

// The demo project's floor plan, as the program loads it from its built-in
// archive: four rooms of one group, each with its outline and its label of
// joined rooms, and the group's combination selector.
class TestDemoRooms : public QObject
{
    Q_OBJECT

private slots:
    void floorPlanIsBoundToTheRooms();
};

void TestDemoRooms::floorPlanIsBoundToTheRooms()
{
    ModelFixture f;
    f.model->loadProject(MModel::projectFilePath());

    const QStringList names = {"North", "East", "South", "West"};
    HRCGroup *pGroup = nullptr;
    for (int i = 0; i < names.size(); ++i) {
        CControl *pRoomControl = roomsControl(f.model->scenes(), names.at(i) + QStringLiteral(" Room"));
        QVERIFY2(pRoomControl, qPrintable(names.at(i)));
        auto *pRoom = qobject_cast<WRoomSelection *>(pRoomControl->widgetByType(QStringLiteral("roomselector")));
        QVERIFY(pRoom);
        auto *pNode = qobject_cast<HRCRoom *>(pRoom->node());
        QVERIFY(pNode);
        QCOMPARE(pNode->label(), QStringLiteral("[Hall-%1]").arg(names.at(i)));
        QCOMPARE(pNode->id(), QString::number(i + 1));
        QCOMPARE(pRoom->vertices().size(), 4);
        QVERIFY(pRoom->transform());
        pGroup = qobject_cast<HRCGroup *>(pNode->parentNode());
        QVERIFY(pGroup);

        CControl *pJoined = roomsControl(f.model->scenes(), names.at(i) + QStringLiteral(" Joined"));
        QVERIFY(pJoined);
        auto *pLabel = qobject_cast<WActiveCombo *>(pJoined->widgetByType(QStringLiteral("activeroomcombo")));
        QVERIFY(pLabel);
        QCOMPARE(pLabel->node(), pNode);
    }
    QCOMPARE(pGroup->childCount(), 4);
    CControl *pCombinations = roomsControl(f.model->scenes(), QStringLiteral("Combinations"));
    QVERIFY(pCombinations);
    auto *pSelector = qobject_cast<WComboSelection *>(pCombinations->widgetByType(QStringLiteral("comboselector")));
    QVERIFY(pSelector);
    QCOMPARE(pSelector->node(), pGroup);
    QCOMPARE(pSelector->comboColors(), (QStringList{"crimson", "orange"}));
}

VR_TEST_MAIN(TestDemoRooms)
#include "tst_demorooms.moc"
