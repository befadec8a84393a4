// Loaded into the unchanged program with LD_PRELOAD (tools/startquit.sh):
// once the main window's QML view has drawn its first frame, closes the
// window as a user would, so that the program ends through its normal
// quit and the sanitizers see a whole start and quit.

#include <QApplication>
#include <QQuickWindow>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

void closeAll()
{
    std::fprintf(stderr, "CloseAfterStart: first frame drawn, closing the window\n");
    for (QWidget *pWindow : QApplication::topLevelWidgets()) {
        if (pWindow->isVisible())
            pWindow->close();
    }
}

// Looks for the QML view until it is on screen, then waits for its frame.
void closeAfterFirstFrame()
{
    auto *pLook = new QTimer(QCoreApplication::instance());
    pLook->setInterval(50);
    QObject::connect(pLook, &QTimer::timeout, pLook, [pLook] {
        for (QWindow *pWindow : QGuiApplication::allWindows()) {
            auto *pView = qobject_cast<QQuickWindow *>(pWindow);
            if (!pView || !pView->isExposed())
                continue;
            pLook->stop();
            QObject::connect(
                pView, &QQuickWindow::frameSwapped, pLook,
                [pLook] {
                    pLook->deleteLater();
                    // Out of the render step before anything is torn down.
                    QTimer::singleShot(0, QCoreApplication::instance(), closeAll);
                },
                Qt::SingleShotConnection);
            pView->update();
            return;
        }
    });
    pLook->start();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(closeAfterFirstFrame)
