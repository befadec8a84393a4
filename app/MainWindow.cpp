#include "MainWindow.h"

#include "app/MEngineTypes.h"
#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "app/MStartupProject.h"
#include "app/VQmlFrame.h"

#include <QApplication>
#include <QDebug>
#include <QResizeEvent>
#include <QSplitter>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    // The families above the factories make their types known before the
    // view loads and the project is read.
    MEngineTypes::registerAll();
    setupForm();

    if (m_translator.load(QStringLiteral(":/Desktop/Client/translators/translate_en.qm")))
        QCoreApplication::installTranslator(&m_translator);
    else
        qDebug() << "translator failed to load.";

    buildView();
    buildModel();

    if (m_pModel) {
        m_pModel->loadProject(MStartupProject::checked(MModel::projectFilePath()));
        m_pModel->onExtraRefreshTimerTimeout();
    }
    fixWindowSize();

    if (m_pModel) {
        m_pModel->setConnectionsEnabled(true);
        m_pModel->rebuildInterfaceSet();
        m_pModel->refreshCurrentPanel();
    }
}

MainWindow::~MainWindow()
{
    // The view goes before the model; everything the model keeps of the
    // QML side is guarded.
    delete m_pView;
    m_pView = nullptr;
    delete m_pModel;
    m_pModel = nullptr;
}

void MainWindow::setupForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("MainWindow"));
    setWindowModality(Qt::WindowModal);
    // The form's designer left the window and its central widget disabled;
    // a disabled window container lets no mouse input reach the QML view,
    // so both stay enabled.
    resize(1024, 800);
    QSizePolicy policy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    policy.setHeightForWidth(sizePolicy().hasHeightForWidth());
    setSizePolicy(policy);
    QFont formFont;
    formFont.setFamily(QStringLiteral("Calibri"));
    formFont.setPointSize(10);
    setFont(formFont);
    setContextMenuPolicy(Qt::NoContextMenu);

    m_pForm = new QWidget(this);
    m_pForm->setObjectName(QStringLiteral("centralWidget"));
    m_pForm->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_pForm->setMinimumSize(30, 30);
    setCentralWidget(m_pForm);
    setWindowTitle(QCoreApplication::translate("MainWindow", "MainWindow"));
}

void MainWindow::buildView()
{
    m_pView = new VQmlFrame(nullptr);
    m_pSplitter = new QSplitter(m_pForm);
    QWidget *pContainer = QWidget::createWindowContainer(m_pView, this);
    if (!pContainer)
        return;
    pContainer->setMinimumSize(200, 200);
    pContainer->setFocusPolicy(Qt::TabFocus);
    m_pView->registerQmlTypes(true);
    m_pView->setupMenuData(QCoreApplication::translate(
        "MainWindow", "About Varolin Remote...,Project Information...,Network Status...,Receive..."));
    m_canvas.loadDesktop(m_pView);
    m_pSplitter->addWidget(pContainer);
}

void MainWindow::buildModel()
{
    m_pModel = new MModel;
    connect(m_pModel, SIGNAL(resetQMLFocus()), this, SLOT(resetQMLFocus()));
    m_pModel->setMainWindow(this);
    m_pModel->setCanvas(&m_canvas);
    if (m_pView)
        m_pView->setModel(m_pModel);
    m_pModel->initialize();
    if (MQmlInterface *pInterface = m_pModel->getInterface())
        pInterface->setProperty("rightClickEnable", false);
}

void MainWindow::setApplication(QApplication *pApplication)
{
    m_pApplication = pApplication;
    setTitle(QString());
}

void MainWindow::setTitle(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    setWindowTitle(QStringLiteral("Varolin Remote") + QStringLiteral(" - ") + name);
}

void MainWindow::fixWindowSize()
{
    const QSize size(m_canvas.pixelWidth() + 4, m_canvas.pixelHeight() + 4);
    resize(size);
    setMinimumSize(size);
    setMaximumSize(size);
}

void MainWindow::resetQMLFocus()
{
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (m_pView && m_pSplitter) {
        m_pSplitter->move(2, 2);
        m_pSplitter->resize(m_canvas.pixelWidth(), m_canvas.pixelHeight());
    }
}
