#include "HArxProxyChoice.h"

#include "HChassis.h"
#include "NodeCategory.h"
#include "ProxySettings.h"

#include <QDebug>
#include <QList>

namespace {

struct Row
{
    HArxProxyChoice::Kind kind;
    const char *condition;
};

// The first row that matches decides.
Row chooseRow(bool hasRtc, bool hasPcAddress, bool pcOnly)
{
    using Kind = HArxProxyChoice::Kind;
    if (!hasRtc && !hasPcAddress)
        return {Kind::None, "Condition B and Condition H"};
    if (hasRtc && !hasPcAddress)
        return {Kind::Rtc, "Condition D and Condition E"};
    if (!hasRtc || pcOnly)
        return {Kind::Vds, "Condition A, Condition C, and Condition G"};
    return {Kind::Rtc, "Condition F"};
}

} // namespace

HArxProxyChoice::Decision HArxProxyChoice::decide(const HChassis &chassis)
{
    const HChassis *pMain = chassis.mainChassis();
    bool hasRtc = false;
    if (!pMain) {
        qWarning() << "Failed to obtain RTC for ARX.";
    } else if (!pMain->title().contains(QLatin1String("(RTC)"))) {
        qDebug() << "This design does not have an RTC";
    } else {
        qDebug().noquote() << "Found main chassis IP for ARX: " + pMain->title();
        hasRtc = true;
    }

    const bool pcOnly = chassis.arxProxyOnPc();
    qDebug().noquote() << QStringLiteral("Is this design configured to use a Proxy on PC: ")
                              + (pcOnly ? QStringLiteral("true") : QStringLiteral("false"));
    const QString pcAddress = chassis.arxProxyIpSetting();
    qDebug().noquote() << "The configured PC Proxy IP is: " + pcAddress;

    const Row row = chooseRow(hasRtc, !pcAddress.isEmpty(), pcOnly);
    qDebug() << row.condition;

    Decision decision;
    decision.kind = row.kind;
    QString info;
    switch (row.kind) {
    case Kind::None:
        qWarning() << "Warning: There is no Proxy configured for the ARX to communicate with.";
        info = QStringLiteral("There is no ARX Proxy configured for VDS or RTC.");
        break;
    case Kind::Rtc:
        decision.address = pMain ? pMain->ipAddress() : QString();
        info = QStringLiteral("Using RTC for ARX Proxy.\n") + decision.address;
        break;
    case Kind::Vds:
        decision.address = pcAddress;
        info = QStringLiteral("Using VDS for ARX Proxy.");
        break;
    }

    QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    settings.setValue(ProxySettings::proxyTypeKey(), kindText(row.kind));
    settings.setValue(ProxySettings::isDesignHasArxKey(), true);
    settings.setValue(ProxySettings::proxyInfoKey(), info);
    return decision;
}

void HArxProxyChoice::forgetUnlessDesignHasArx(HChassis &chassis)
{
    // Asking the tree rather than the stored "isDesignHasArx" mark keeps a
    // processor that goes online before the amplifier from erasing the PC
    // address the amplifier is about to read.
    if (designHasArx(chassis))
        return;
    qDebug() << "No ARX Chassis, so no Condition set.";
    qDebug().noquote() << "Settings namespace: " + ProxySettings::application();
    QSettings settings(ProxySettings::organisation(), ProxySettings::application());
    settings.setValue(ProxySettings::isDesignHasArxKey(), false);
    settings.setValue(ProxySettings::isArxIpSetKey(), false);
    settings.setValue(ProxySettings::arxIpKey(), QString());
    settings.setValue(ProxySettings::proxyTypeKey(), kindText(Kind::Rtc));
    settings.setValue(ProxySettings::proxyInfoKey(), QStringLiteral("This design does not use ARX."));
}

bool HArxProxyChoice::designHasArx(HChassis &chassis)
{
    HNode *pTop = &chassis;
    while (pTop->parentNode())
        pTop = pTop->parentNode();
    QList<HNode *> devices;
    pTop->collectByCategory(NodeCategory::chassis(), &devices);
    for (HNode *pNode : std::as_const(devices)) {
        const auto *pDevice = qobject_cast<HChassis *>(pNode);
        if (pDevice && pDevice->isArx())
            return true;
    }
    return false;
}

QString HArxProxyChoice::kindText(Kind kind)
{
    switch (kind) {
    case Kind::Rtc:
        return QStringLiteral("rtc");
    case Kind::Vds:
        return QStringLiteral("vds");
    case Kind::None:
        break;
    }
    return QStringLiteral("none");
}
