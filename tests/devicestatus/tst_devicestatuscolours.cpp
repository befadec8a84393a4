#include "VrTest.h"

#include "InterfaceQml.h"
#include "devicestatus/DeviceStatusDeviceListModel.h"
#include "devicestatus/DeviceStatusInterfaceObject.h"
#include "devicestatus/DeviceStatusProxyListModel.h"
#include "project/SkinLoader.h"

#include <QColor>
#include <QImage>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>

#include <cmath>
#include <memory>

namespace {

// Contrast as the accessibility guidelines count it: relative luminances
// of the two colours, (lighter + 0.05) / (darker + 0.05).
double linear(int channel)
{
    const double v = channel / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    return 0.2126 * linear(colour.red()) + 0.7152 * linear(colour.green())
        + 0.0722 * linear(colour.blue());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// Every item of the name below the item, in tree order (delegates are
// items of their view, not QObject children).
void collect(QQuickItem *pItem, const QString &name, QList<QQuickItem *> *pFound)
{
    if (!pItem)
        return;
    if (pItem->objectName() == name)
        pFound->append(pItem);
    const QList<QQuickItem *> children = pItem->childItems();
    for (QQuickItem *pChild : children)
        collect(pChild, name, pFound);
}

QQuickItem *find(QQuickItem *pBelow, const QString &name)
{
    QList<QQuickItem *> found;
    collect(pBelow, name, &found);
    return found.value(0);
}

// The dashboard's shipped root view over a list of devices that do not
// talk to anything, in an offscreen window, with the interface QML in the
// skin and accent given: what the operator sees, as pixels.
struct SkinnedDashboard
{
    QQmlEngine engine;
    std::unique_ptr<QObject> pInterface;
    QObject owner;
    QList<DeviceStatusInterfaceObject *> devices;
    DeviceStatusDeviceListModel list;
    DeviceStatusProxyListModel proxy;
    QQuickWindow window;
    std::unique_ptr<QQuickItem> pView;
    QString errors;

    SkinnedDashboard(const QString &skin, const QString &accent)
    {
        pInterface = InterfaceQml::create(engine, &errors);
        if (!pInterface)
            return;
        // As the canvas does: the skin, then its accent over it.
        SkinLoader loader;
        loader.setTarget(pInterface.get());
        QString name = skin;
        loader.loadSkin(name);
        name = accent;
        loader.loadSkin(name);
        engine.rootContext()->setContextProperty(QStringLiteral("intrf"), pInterface.get());
    }

    ~SkinnedDashboard()
    {
        pView.reset();
        pInterface.reset();
    }

    void add(const QString &kind, const QString &name, int state)
    {
        auto *pDevice = new DeviceStatusInterfaceObject(&owner);
        pDevice->setDeviceType(kind);
        pDevice->setName(name);
        pDevice->setAddress(QStringLiteral("127.0.0.1"));
        pDevice->mergeNetworkState(state);
        devices.append(pDevice);
    }

    bool show()
    {
        if (!pInterface)
            return false;
        proxy.setSourceModel(&list);
        proxy.updateFromDevices(devices, true);
        engine.rootContext()->setContextProperty(QStringLiteral("deviceStatusListProxyModel"), &proxy);
        window.resize(1000, 680);
        QQmlComponent component(&engine, QUrl(QStringLiteral(
            "qrc:/qml/objects/deviceStatusObjects/QmlDeviceStatusRootView.qml")));
        pView.reset(qobject_cast<QQuickItem *>(component.create()));
        if (!pView) {
            errors = component.errorString();
            return false;
        }
        pView->setParentItem(window.contentItem());
        pView->setVisible(true);
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    QQuickItem *item(const QString &name, QQuickItem *pBelow = nullptr) const
    {
        return find(pBelow ? pBelow : pView.get(), name);
    }

    // The colour drawn at a point of an item.
    static QColor pixel(const QImage &frame, QQuickItem *pItem, const QPointF &at)
    {
        const QPoint p = pItem->mapToScene(at).toPoint();
        return frame.pixelColor(p);
    }
};

struct Sample
{
    QString where;
    QColor colour;
    QColor background;
};

} // namespace

// The two states that name no fault, only a device out of reach ("Restart
// Required", "Device Unreachable"), stand out from what lies behind them
// in every skin and accent: in a row's state bar, in the pie of its kind
// and in the pie's legend.
class TestDeviceStatusColours : public QObject
{
    Q_OBJECT

private slots:
    void unreachableStatesStandOut_data();
    void unreachableStatesStandOut();
};

void TestDeviceStatusColours::unreachableStatesStandOut_data()
{
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QString>("accent");
    QTest::addColumn<int>("state");
    for (const char *skin : {"Light", "Dark"}) {
        for (const char *accent : {"Black", "Blue", "Green", "Pink", "Red", "White", "Yellow"}) {
            for (const int state : {1, 2}) {
                QTest::addRow("%s %s, state %d", skin, accent, state)
                    << QString::fromLatin1(skin) << QString::fromLatin1(accent) << state;
            }
        }
    }
}

void TestDeviceStatusColours::unreachableStatesStandOut()
{
    QFETCH(QString, skin);
    QFETCH(QString, accent);
    QFETCH(int, state);

    SkinnedDashboard dashboard(skin, accent);
    // The array's kind is shown (its tab picked, tinted with the accent);
    // the amplifiers' tab beside it is not.
    dashboard.add(QStringLiteral("Ventra"), QStringLiteral("Array"), state);
    dashboard.add(QStringLiteral("ARX"), QStringLiteral("Amp"), state);
    QVERIFY2(dashboard.show(), qPrintable(dashboard.errors));
    QQuickItem *pRow = dashboard.item(QStringLiteral("deviceRow"));
    QVERIFY(pRow);
    QTRY_VERIFY(dashboard.item(QStringLiteral("ventraTab"))->property("selected").toBool());
    const QImage frame = dashboard.window.grabWindow();
    QVERIFY(!frame.isNull());

    const qreal em = dashboard.pView->property("fontSize").toReal();
    QList<Sample> samples;

    // The bar at the row's left edge, on the row.
    QQuickItem *pBar = dashboard.item(QStringLiteral("stateBar"), pRow);
    QVERIFY(pBar);
    samples.append({QStringLiteral("state bar"),
                    SkinnedDashboard::pixel(frame, pBar, QPointF(pBar->width() / 2, pBar->height() / 2)),
                    SkinnedDashboard::pixel(frame, pBar, QPointF(pBar->width() + em * 0.4,
                                                                 pBar->height() / 2))});

    for (const char *tabName : {"ventraTab", "arxTab"}) {
        QQuickItem *pTab = dashboard.item(QString::fromLatin1(tabName));
        QVERIFY(pTab);
        // The only slice is the whole ring between the hole and the rim;
        // the tab shows beside the pie.
        QQuickItem *pPie = dashboard.item(QStringLiteral("pieChart"), pTab);
        QVERIFY(pPie);
        const qreal r = qMin(pPie->width(), pPie->height()) / 2;
        samples.append({QStringLiteral("pie of ") + QLatin1String(tabName),
                        SkinnedDashboard::pixel(frame, pPie, QPointF(pPie->width() / 2,
                                                                     pPie->height() / 2 - r * 0.78)),
                        SkinnedDashboard::pixel(frame, pPie, QPointF(-em, pPie->height() / 2))});
        QQuickItem *pDot = dashboard.item(QStringLiteral("legendDot"), pTab);
        QVERIFY(pDot);
        samples.append({QStringLiteral("legend of ") + QLatin1String(tabName),
                        SkinnedDashboard::pixel(frame, pDot, QPointF(pDot->width() / 2, pDot->height() / 2)),
                        SkinnedDashboard::pixel(frame, pDot, QPointF(-em * 0.3, pDot->height() / 2))});
    }

    QStringList faint;
    for (const Sample &sample : std::as_const(samples)) {
        const double ratio = contrast(sample.colour, sample.background);
        const QString text = QStringLiteral("%1: %2 on %3 is %4:1")
                                 .arg(sample.where, sample.colour.name(), sample.background.name())
                                 .arg(ratio, 0, 'f', 2);
        if (qEnvironmentVariableIsSet("VR_SHOW_CONTRAST"))
            qInfo().noquote() << text;
        if (ratio < 3.0)
            faint.append(text);
    }
    QVERIFY2(faint.isEmpty(), qPrintable(faint.join(QLatin1String("; "))));
}

VR_TEST_MAIN(TestDeviceStatusColours)
#include "tst_devicestatuscolours.moc"
