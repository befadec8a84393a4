// Time to the first drawn frame of a panel of 500 passive widgets (frames,
// labels, images, panel links) read from a panel file, beside the same
// count of plain QML items (Rectangle, Text, Image) made from one QML
// document. Both sides draw the same picture file: the image widgets name
// no picture and show their default one, and the plain Image items show that
// same resource, fitted into the same cells. The window is shown and has
// drawn once before the clock starts, so both figures hold only the item
// creation and the frame; the two sides take turns. As in the program, the
// engine publishes the interface QML as "intrf": the widgets read their
// skin there, and without it every widget would look the name up in vain.
// Prints medians of 15 runs of each and their ratio; asserts nothing.

#include "BenchMessages.h"
#include "BenchSandbox.h"
#include "BenchTiming.h"
#include "app/MModel.h"
#include "app/VQmlFrame.h"
#include "controls/CComposite.h"
#include "controls/WDelegate.h"
#include "controls/WWidgetFactory.h"
#include "devices/HRoot.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QApplication>
#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int WidgetCount = 500;
constexpr int Columns = 25;
constexpr int Runs = 15;
// The picture an image widget shows until the panel names another.
constexpr char DefaultPicture[] = "qrc:/images/default.png";

// Cell i of a 25-column grid on an 800 x 450 panel.
QByteArray cell(int i)
{
    const int x = (i % Columns) * 32;
    const int y = (i / Columns) * 22;
    return "<x>" + QByteArray::number(x) + "</x><y>" + QByteArray::number(y)
           + "</y><width>30</width><height>20</height>";
}

QByteArray panelFile()
{
    static const char *const kinds[] = {"frame", "label", "image", "panellink"};
    QByteArray xml = "<?xml version=\"1.0\"?>\n<VDS>\n<Scenes>\n<Scene name=\"Bench\"><Panels>\n"
                     "<Panel name=\"Page\" type=\"complete\"><Controls>\n";
    for (int i = 0; i < WidgetCount; ++i) {
        const QByteArray kind = kinds[i % 4];
        QByteArray own;
        if (kind == "frame")
            own = "<fieldcolor>#336699</fieldcolor><bordercolor>#A8AAAD</bordercolor>";
        else if (kind == "label")
            own = "<text>Label " + QByteArray::number(i) + "</text><align>center</align>";
        else if (kind == "image")
            own = "<imageOpacity>1</imageOpacity>"; // no path: the default picture
        else
            own = "<text>Link</text><path>..\\Bench\\Page</path>";
        xml += "<Control name=\"W" + QByteArray::number(i) + "\" type=\"Passive\"><Property name=\"widget\"><"
               + kind + ">" + cell(i) + own + "</" + kind + "></Property></Control>\n";
    }
    xml += "</Controls></Panel>\n</Panels></Scene>\n</Scenes>\n</VDS>\n";
    return xml;
}

QByteArray plainQml()
{
    QByteArray qml = "import QtQuick\nItem {\n";
    for (int i = 0; i < WidgetCount; ++i) {
        const QByteArray geometry = "x: " + QByteArray::number((i % Columns) * 32) + "; y: "
                                    + QByteArray::number((i / Columns) * 22) + "; width: 30; height: 20";
        switch (i % 4) {
        case 0:
            qml += "Rectangle { " + geometry + "; color: \"#336699\"; border.color: \"#A8AAAD\" }\n";
            break;
        case 1:
            qml += "Text { " + geometry + "; text: \"Label " + QByteArray::number(i) + "\" }\n";
            break;
        case 2:
            qml += "Image { " + geometry + "; source: \"" + DefaultPicture
                   + "\"; fillMode: Image.PreserveAspectFit; asynchronous: true }\n";
            break;
        default:
            qml += "Rectangle { " + geometry + "; color: \"transparent\"; Text { text: \"Link\" } }\n";
        }
    }
    return qml + "}\n";
}

// Runs the event loop until the window has drawn one more frame.
bool waitForFrame(QQuickWindow &window)
{
    QEventLoop loop;
    QObject::connect(&window, &QQuickWindow::frameSwapped, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
    window.update();
    return loop.exec() == 0;
}

// CPU time of this thread: on a busy machine it moves far less than the
// clock on the wall.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Stage
{
    QQmlEngine engine;
    std::unique_ptr<QObject> pInterface;
    QQuickWindow window;

    Stage()
    {
        QQmlComponent interfaceComponent(&engine, QUrl(QStringLiteral("qrc:/qml/QmlInterface.qml")));
        pInterface.reset(interfaceComponent.create());
        engine.rootContext()->setContextProperty(QStringLiteral("intrf"), pInterface.get());
        window.resize(800, 450);
        window.show();
    }

    ~Stage() { engine.rootContext()->setContextProperty(QStringLiteral("intrf"), QVariant()); }
};

// The panel file read into a fresh model and drawn once.
bool panelToFrame(const QString &panelPath, std::vector<double> &wallMs, std::vector<double> &cpuMs, int &items)
{
    Stage stage;
    if (!stage.pInterface || !waitForFrame(stage.window))
        return false;
    MModel model;
    model.initialize();
    // The model has no view here: its widgets go on the bench window.
    auto *pFactory = new WWidgetFactory;
    pFactory->setParentItem(stage.window.contentItem());
    pFactory->setContext(stage.engine.rootContext());
    pFactory->setModel(&model);
    WDelegate::instance()->setFactory(pFactory);
    CComposite &scenes = *model.scenes();

    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadCpuMs();
    scenes.loadChildren(panelPath, model.root(), nullptr, &model);
    scenes.setVisible(true);
    if (!waitForFrame(stage.window))
        return false;
    wallMs.push_back(timer.nsecsElapsed() / 1e6);
    cpuMs.push_back(threadCpuMs() - cpuStart);
    items = stage.window.contentItem()->childItems().size();
    scenes.detach();
    qDeleteAll(stage.window.contentItem()->childItems());
    return true;
}

// The plain QML document compiled, made and drawn once.
bool documentToFrame(const QByteArray &document, const QString &folder, std::vector<double> &wallMs,
                     std::vector<double> &cpuMs)
{
    Stage stage;
    if (!waitForFrame(stage.window))
        return false;
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadCpuMs();
    QQmlComponent component(&stage.engine);
    component.setData(document, QUrl::fromLocalFile(folder + QStringLiteral("/Plain.qml")));
    std::unique_ptr<QObject> pObject(component.create());
    auto *pItem = qobject_cast<QQuickItem *>(pObject.get());
    if (!pItem)
        return false;
    pItem->setParentItem(stage.window.contentItem());
    if (!waitForFrame(stage.window))
        return false;
    wallMs.push_back(timer.nsecsElapsed() / 1e6);
    cpuMs.push_back(threadCpuMs() - cpuStart);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    BenchSandbox dir;
    if (!dir.isValid())
        return 1;
    preferOffscreenPlatform();
    QApplication app(argc, argv);
    // The widget types and the interface QML's own.
    VQmlFrame::registerTypes();
    showMessagesFrom(QtCriticalMsg);

    const QString panelPath = dir.path() + QStringLiteral("/Bench.cpf");
    QFile file(panelPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(panelFile()) < 0)
        return 1;
    file.close();
    const QByteArray plain = plainQml();

    std::vector<double> widgetMs, plainMs, widgetCpuMs, plainCpuMs;
    int widgets = 0;
    // The two sides take turns, so that a busy moment of the machine falls
    // on both alike.
    for (int run = 0; run < Runs; ++run) {
        if (!panelToFrame(panelPath, widgetMs, widgetCpuMs, widgets)
            || !documentToFrame(plain, dir.path(), plainMs, plainCpuMs))
            return 1;
    }

    const double widgetTime = median(widgetMs);
    const double plainTime = median(plainMs);
    const int each = WidgetCount / 4;
    std::printf("panel of %d passive widgets (%d items on the canvas), median of %d runs\n", WidgetCount,
                widgets, Runs);
    std::printf("widgets draw %d frames, %d labels, %d panel links and %d image widgets showing %s\n", each,
                each, each, each, DefaultPicture);
    std::printf("plain QML draws %d Rectangles, %d Texts, %d Rectangles with a Text and %d Images of %s\n", each,
                each, each, each, DefaultPicture);
    std::printf("panel file to first frame                %8.1f ms\n", widgetTime);
    std::printf("plain QML items to first frame           %8.1f ms\n", plainTime);
    std::printf("ratio                                    %8.2f x\n", plainTime > 0 ? widgetTime / plainTime : 0.0);
    const double widgetCpu = median(widgetCpuMs);
    const double plainCpu = median(plainCpuMs);
    std::printf("CPU time of the GUI thread: panel %.1f ms, plain QML %.1f ms, ratio %.2f x\n", widgetCpu, plainCpu,
                plainCpu > 0 ? widgetCpu / plainCpu : 0.0);
    return 0;
}
