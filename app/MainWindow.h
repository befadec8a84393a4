#pragma once

#include "controls/CCanvas.h"

#include <QMainWindow>
#include <QTranslator>

class MModel;
class QApplication;
class QSplitter;
class VQmlFrame;

// The program's one window. It builds the running system in a fixed order
// (canvas, translator, form, QML view, model, start-up project, size,
// connections) and keeps its size fixed to the canvas plus a 2-pixel frame.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    void setApplication(QApplication *pApplication);
    void setTitle(const QString &path);
    // Fixes the window at the canvas size plus 4 pixels each way.
    void fixWindowSize();

    MModel *model() const { return m_pModel; }
    VQmlFrame *view() const { return m_pView; }
    CCanvas &canvas() { return m_canvas; }

public slots:
    void resetQMLFocus();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void setupForm();
    void buildView();
    void buildModel();

    QWidget *m_pForm = nullptr;
    QApplication *m_pApplication = nullptr;
    MModel *m_pModel = nullptr;
    CCanvas m_canvas;
    VQmlFrame *m_pView = nullptr;
    QSplitter *m_pSplitter = nullptr;
    QTranslator m_translator;
};
