// Feeds arbitrary processor reports and operator clicks to the room
// combining tables of one chassis: group 1 of seven rooms (room 5 a
// conference router's, next to 4 and 6) and group 2 of one room.
//
// The input is cut at 0xFF into pieces. A piece that starts with 0xFE is a
// click: its next bytes pick the group, the room and the selected
// combination (out of range included); any other piece is a state report
// handed over as text. After each piece the tables must hold together: no
// room in two combinations, every room's combination index agreeing with
// the lists, a colour for every room, a whole-state command that is one
// line; and a click's text never carries a failure message inside a
// command. Anything else aborts.

#include "devices/HRCGroupInfo.h"
#include "devices/RCCombo.h"
#include "devices/RCGroup.h"
#include "devices/RoomCombine.h"
#include "devices/RoomInfo.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QReadLocker>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &)
{
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkTables(HRCGroupInfo &info)
{
    for (const RoomInfo *pRoom : info.rooms()) {
        const RCGroup *pGroup = info.findGroup(pRoom->groupId());
        check(pGroup != nullptr);
        {
            QReadLocker locker(info.lock());
            int holders = 0;
            for (const RCCombo *pCombo : pGroup->combos())
                holders += pCombo->hasRoom(pRoom->roomId()) ? 1 : 0;
            check(holders <= 1);
            check(pRoom->comboIndex() == pGroup->comboIndexOfRoom(pRoom->roomId()));
        }
        const QString colour = info.roomColor(pRoom->groupId(), pRoom->roomId());
        check(colour == RoomCombine::uncombinedRoomColor()
              || RoomCombine::comboColorList().contains(colour));
    }
    for (const RCGroup *pGroup : info.groups()) {
        const QString command = pGroup->fullStateCommand(info.lock());
        check(command.endsWith(QLatin1Char('\r')) && command.count(QLatin1Char('\r')) == 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_roomcombine";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const bool silenced = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(silenced);

    HRCGroupInfo info;
    for (int room = 1; room <= 7; ++room) {
        const bool router = room == 5;
        info.addRoom(room, QStringLiteral("Hall-%1").arg(room), 1, router ? 0 : 1, room,
                     router ? QList<int>{4, 6} : QList<int>());
    }
    info.addRoom(1, QStringLiteral("Solo"), 2, 1, 20, {});

    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> pieces = input.split('\xff');
    for (const QByteArray &piece : pieces) {
        if (piece.startsWith('\xfe')) {
            const int group = piece.size() > 1 ? uchar(piece.at(1)) % 3 : 1;
            const int room = piece.size() > 2 ? uchar(piece.at(2)) % 10 - 1 : 1;
            const int combo = piece.size() > 3 ? uchar(piece.at(3)) % 6 - 1 : 0;
            QString colour;
            const QString text = info.roomClicked(room, group, combo, &colour);
            QString commands;
            QString message;
            RoomCombine::separateFailure(text, &commands, &message);
            check(!commands.contains(RoomCombine::combineFailurePrefix()));
            check(text.isEmpty() || text.startsWith(RoomCombine::combineFailurePrefix())
                  || text.startsWith(QLatin1String("SRC ")));
        } else {
            info.handleCombineStateReply(QString::fromLatin1(piece));
        }
        checkTables(info);
    }
    return 0;
}
