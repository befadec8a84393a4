// Figures for the drop list's pop-up: a drop list (the shipped QML item and
// its WDropList) whose 5,000 entries come from a list file beside the panel
// file, in a window whose content item is the canvas. Each run is one click
// on the item; the figure is the time from the click to the end of the first
// frame that shows the pop-up (the first frame whose scene was synchronised
// after the click). The floor is a plain QML list, a ListView of Text
// delegates holding the same 5,000 strings, made by a click in the same
// window; the two alternate, run after run. It asserts nothing.

#include "controls/CControl.h"
#include "controls/TTransformFactory.h"
#include "controls/VModeManager.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "widgets/WDropList.h"

#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "EngineTypes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int Entries = 5000;
constexpr int WarmUps = 3;
constexpr int Runs = 40;

// The floor: the same strings in a list with nothing else to do.
const QByteArray kPlainList = R"(
import QtQuick

Item {
    id: host
    property var entries: []
    property Item shown: null

    function close() {
        if (shown) {
            shown.destroy()
            shown = null
        }
    }

    Component {
        id: plain
        ListView {
            anchors.fill: parent
            delegate: Text {
                required property string modelData
                text: modelData
                height: 36
                font.pixelSize: 14
            }
        }
    }

    MouseArea {
        x: 300
        y: 40
        width: 160
        height: 30
        onClicked: host.shown = plain.createObject(host, { model: host.entries })
    }
}
)";

struct Figures
{
    double medianMs = 0;
    double maxMs = 0;
    int count = 0;
};

Figures figuresOf(std::vector<double> ms)
{
    Figures f;
    f.count = int(ms.size());
    if (ms.empty())
        return f;
    f.maxMs = *std::max_element(ms.begin(), ms.end());
    f.medianMs = median(std::move(ms));
    return f;
}

class Bench
{
public:
    Bench()
    {
        m_window.resize(800, 600);
        auto *pFactory = new WWidgetFactory;
        pFactory->setParentItem(m_window.contentItem());
        pFactory->setContext(m_engine.rootContext());
        WDelegate::instance()->setFactory(pFactory);
        VModeManager::instance()->setCanvasItem(m_window.contentItem());
        m_clock.start();
        // Both run on the render thread; the GUI thread is blocked while
        // the scene is synchronised, so a scene synchronised after the
        // click holds what the click made.
        QObject::connect(&m_window, &QQuickWindow::afterSynchronizing, &m_window, [this]() {
            int expected = Clicked;
            m_state.compare_exchange_strong(expected, Synchronised);
        }, Qt::DirectConnection);
        QObject::connect(&m_window, &QQuickWindow::frameSwapped, &m_window, [this]() {
            int expected = Synchronised;
            if (m_state.compare_exchange_strong(expected, Framed))
                m_framedNs = m_clock.nsecsElapsed();
        }, Qt::DirectConnection);
    }

    ~Bench()
    {
        m_pControl.reset();
        delete m_pPlain;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        TTransformFactory::clearRegistry();
        WDelegate::destroyInstance();
        VModeManager::destroyInstance();
    }

    bool setUp()
    {
        if (!m_folder.isValid())
            return false;
        QFile file(m_folder.filePath(QStringLiteral("Entries.txt")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return false;
        for (int i = 1; i <= Entries; ++i) {
            const QString line = QStringLiteral("Entry %1 of the long list\n").arg(i, 4, 10, QLatin1Char('0'));
            m_strings.append(line.trimmed());
            file.write(line.toUtf8());
        }
        file.close();
        WDelegate::instance()->setPanelFilePath(m_folder.filePath(QStringLiteral("Bench.cpf")));

        m_pControl = std::make_unique<CControl>();
        m_pControl->setType(QStringLiteral("Control"));
        m_pControl->setName(QStringLiteral("Entries"));
        m_pControl->setKind(QStringLiteral("DropList"));
        const QList<QPair<QString, QString>> leaves = {
            {"x", "40"}, {"y", "40"}, {"width", "160"}, {"height", "30"}, {"file", "Entries.txt"}};
        for (const auto &leaf : leaves)
            m_pControl->setWidgetAttribute(QStringLiteral("droplist"), leaf.first, leaf.second);
        m_pControl->endWidget(QStringLiteral("droplist"));
        m_pControl->bind();
        m_pControl->setVisible(true);
        m_pList = qobject_cast<WDropList *>(m_pControl->widgetByType(QStringLiteral("droplist")));
        if (!m_pList || m_pList->items().size() != Entries)
            return false;
        QElapsedTimer reading;
        reading.start();
        m_pList->readAttribute(QStringLiteral("file"), QStringLiteral("Entries.txt"));
        m_readMs = double(reading.nsecsElapsed()) / 1e6;

        QQmlComponent component(&m_engine);
        component.setData(kPlainList, QUrl());
        m_pPlain = qobject_cast<QQuickItem *>(component.create());
        if (!m_pPlain)
            return false;
        m_pPlain->setParentItem(m_window.contentItem());
        m_pPlain->setSize(m_window.size());
        m_pPlain->setProperty("entries", m_strings);

        m_window.show();
        return waitFor([&]() { return m_window.isExposed(); }, 5000);
    }

    // One click on the drop list: its pop-up's first frame.
    double openDropList()
    {
        const double ms = clickToFrame(QPointF(120, 55));
        // A click beside the list closes it.
        click(QPointF(5, 5));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return m_pList->popup() ? -1.0 : ms;
    }

    // One click that makes the plain list: its first frame.
    double openPlainList()
    {
        const double ms = clickToFrame(QPointF(380, 55));
        const bool made = m_pPlain->property("shown").value<QQuickItem *>() != nullptr;
        QMetaObject::invokeMethod(m_pPlain, "close");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return made ? ms : -1.0;
    }

    double readMs() const { return m_readMs; }

private:
    enum State { Idle, Clicked, Synchronised, Framed };

    double clickToFrame(const QPointF &at)
    {
        // Whatever was drawing ends first.
        waitFor([]() { return false; }, 50);
        m_state = Idle;
        const qint64 startNs = m_clock.nsecsElapsed();
        click(at);
        m_state = Clicked;
        if (!waitFor([&]() { return m_state == Framed; }, 5000))
            return -1.0;
        return double(m_framedNs - startNs) / 1e6;
    }

    void click(const QPointF &at)
    {
        m_timestamp += 1000;
        mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        m_timestamp += 20;
        mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }

    void mouse(QEvent::Type type, const QPointF &at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, m_window.mapToGlobal(at), button, buttons, Qt::NoModifier);
        event.setTimestamp(m_timestamp);
        QCoreApplication::sendEvent(&m_window, &event);
    }

    QQmlEngine m_engine;
    QQuickWindow m_window;
    QTemporaryDir m_folder;
    QStringList m_strings;
    std::unique_ptr<CControl> m_pControl;
    WDropList *m_pList = nullptr;
    QQuickItem *m_pPlain = nullptr;
    QElapsedTimer m_clock;
    std::atomic<int> m_state{Idle};
    std::atomic<qint64> m_framedNs{0};
    ulong m_timestamp = 1000;
    double m_readMs = 0;
};

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox sandbox;
    preferOffscreenPlatform();
    QGuiApplication app(argc, argv);
    hideAllMessages();
    EngineTypes::registerAll();

    Bench bench;
    if (!bench.setUp()) {
        std::printf("bench_droplist: could not set up the drop list\n");
        return 1;
    }
    std::printf("drop list pop-up: click -> first frame showing it, %d entries from a list file\n", Entries);
    std::printf("floor: a plain QML ListView of the same %d strings, made by a click in the same window\n",
                Entries);
    std::printf("%d runs each, alternating, after %d warm-up runs; platform %s\n\n", Runs, WarmUps,
                qPrintable(QGuiApplication::platformName()));

    for (int i = 0; i < WarmUps; ++i) {
        bench.openDropList();
        bench.openPlainList();
    }
    std::vector<double> dropList;
    std::vector<double> plain;
    int failed = 0;
    for (int i = 0; i < Runs; ++i) {
        const double a = bench.openDropList();
        const double b = bench.openPlainList();
        if (a < 0 || b < 0) {
            ++failed;
            continue;
        }
        dropList.push_back(a);
        plain.push_back(b);
    }
    const Figures d = figuresOf(dropList);
    const Figures p = figuresOf(plain);
    std::printf("%-34s %5s %10s %10s\n", "", "runs", "median ms", "max ms");
    std::printf("%-34s %5d %10.2f %10.2f\n", "drop list pop-up (5,000 entries)", d.count, d.medianMs, d.maxMs);
    std::printf("%-34s %5d %10.2f %10.2f\n", "plain QML list (floor)", p.count, p.medianMs, p.maxMs);
    std::printf("ratio drop list / floor (medians): %.2f\n", p.medianMs > 0 ? d.medianMs / p.medianMs : 0.0);
    std::printf("reading the list file into the widget, once: %.2f ms\n", bench.readMs());
    if (failed)
        std::printf("runs without a frame: %d\n", failed);
    return 0;
}
