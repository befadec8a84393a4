#pragma once

#include "devices/HNode.h"

class QStandardItem;
class QStandardItemModel;

// One room of a room-combining group, as a node panels can bind to. Its
// group builds it from the rooms its chassis registered. It keeps nothing
// of the combining itself: queries go to its group, a click goes to its
// group as roomControlClicked, and of the group's answers it passes on to
// its widgets only those meant for its own room.
class HRCRoom : public HNode
{
    Q_OBJECT

public:
    HRCRoom();
    ~HRCRoom() override;

    // A room in use puts its group in use too, so that the chassis above,
    // which only looks at its own children, opens its connection for a
    // panel of rooms alone.
    void setUsed(bool used) override;
    // Tells the group, queued, that this room was clicked.
    void controlClicked() override;
    // "purple" without a group; else the group's colour for this room.
    QString roomColor(int roomId) const override;
    void combinedRoomNames(int roomId, QStringList *pNames) const override;
    bool isQueryPending() const override;
    QString stateQueryCommand() override;
    void handleQueryResponse(const QString &reply) override;
    QString roomCombineName() const override;
    QString resourceFolder() const override;
    QString category() const override;

    // The one item of the model (searched through, case-sensitively) whose
    // text is the group's label; null when none or several match.
    virtual QStandardItem *findInModel(const QStandardItemModel *pModel) const;

signals:
    void roomControlClicked(int roomID);

public slots:
    // The group's answers to a click, passed on when they are this room's.
    void onUpdateRoomColor(const QString &color, int roomID);
    void onSendMessage(const QString &message, int roomID);
    void onShowErrorDialog(const QString &message, int roomID);
};
