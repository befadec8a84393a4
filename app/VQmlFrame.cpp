#include "VQmlFrame.h"

#include "app/MEngineTypes.h"
#include "app/MModel.h"
#include "app/MQmlInterface.h"
#include "app/MeterGaugeLocalization.h"

#include <QDebug>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QResizeEvent>
#include <QScreen>
#include <QUrl>

namespace {

const QString kInterfaceUrl = QStringLiteral("qrc:/qml/QmlInterface.qml");

} // namespace

VQmlFrame::VQmlFrame(QWindow *parent)
    : QQuickView(parent)
    , m_pParentWindow(parent)
    , m_pMeterGaugeLocalization(std::make_unique<MeterGaugeLocalization>())
{
}

VQmlFrame::~VQmlFrame()
{
    // The displayed QML reads the interface object and the objects published
    // beside it: take it down while they all still exist, then the interface
    // object while its engine still exists.
    setSource(QUrl());
    releaseInterface();
}

void VQmlFrame::releaseInterface()
{
    if (QQmlContext *pContext = rootContext()) {
        pContext->setContextProperty(QStringLiteral("intrf"), QVariant());
        pContext->setContextProperty(QStringLiteral("MeterGaugeLocalValue"), QVariant());
        pContext->setContextProperty(QStringLiteral("MsgBoxController"), QVariant());
    }
    delete m_pInterface;
    m_pInterfaceComponent.reset();
}

void VQmlFrame::registerTypes()
{
    static bool s_registered = false;
    if (s_registered)
        return;
    s_registered = true;

    // Its own module, named after the class in lower case, as the widgets'.
    qmlRegisterType<MQmlInterface>("mqmlinterface", 1, 0, "MQmlInterface");
    MEngineTypes::registerAll();
}

void VQmlFrame::registerQmlTypes(bool initializeModel)
{
    QQmlEngine *pEngine = engine();
    if (!pEngine)
        return;
    registerTypes();
    loadInterface(pEngine);
    if (initializeModel && m_pModel)
        m_pModel->initialize();
}

bool VQmlFrame::printComponentErrors(const QQmlComponent &component)
{
    if (!component.isError())
        return false;
    const QList<QQmlError> errors = component.errors();
    for (qsizetype i = 0; i < errors.size(); ++i)
        qDebug() << i << errors.at(i);
    qDebug() << "------------------------";
    return true;
}

void VQmlFrame::loadInterface(QQmlEngine *pEngine)
{
    if (!pEngine)
        return;
    // A second load replaces the first interface object.
    releaseInterface();

    m_pInterfaceComponent = std::make_unique<QQmlComponent>(pEngine, QUrl(kInterfaceUrl));
    const bool reported = printComponentErrors(*m_pInterfaceComponent);

    QObject *pObject = reported ? nullptr : m_pInterfaceComponent->create();
    if (pObject) {
        m_pInterface = qobject_cast<MQmlInterface *>(pObject);
        if (!m_pInterface) {
            qWarning() << "VQmlFrame: the interface QML has no MQmlInterface root";
            delete pObject;
        } else {
            // Ours until the view goes, whatever QML does with it.
            QQmlEngine::setObjectOwnership(m_pInterface, QQmlEngine::CppOwnership);
        }
    } else if (!reported) {
        // Errors of the creation itself; either way the program runs on
        // without QML interaction.
        printComponentErrors(*m_pInterfaceComponent);
    }

    QQmlContext *pContext = pEngine->rootContext();
    if (!pContext)
        return;
    pContext->setContextProperty(QStringLiteral("intrf"), m_pInterface.data());
    pContext->setContextProperty(QStringLiteral("MeterGaugeLocalValue"),
                                 m_pMeterGaugeLocalization.get());
    pContext->setContextProperty(QStringLiteral("MsgBoxController"), &m_messageDialog);
    if (m_pInterface)
        m_pInterface->setContext(pContext);
}

void VQmlFrame::setModel(MModel *pModel)
{
    m_pModel = pModel;
    if (m_pInterface)
        m_pInterface->linkModel(pModel);
}

MModel *VQmlFrame::model() const
{
    return m_pModel;
}

void VQmlFrame::setupMenuData(const QString &text)
{
    if (m_pInterface)
        m_pInterface->setupMenuData(text);
}

float VQmlFrame::logicalDpi() const
{
    const QScreen *pScreen = screen();
    if (!pScreen)
        return 72.0f;
    return float(pScreen->logicalDotsPerInch());
}

void VQmlFrame::showDesktop(const QUrl &source)
{
    setSource(source);
}

MQmlInterface *VQmlFrame::interfaceObject() const
{
    return m_pInterface;
}

void VQmlFrame::resizeEvent(QResizeEvent *event)
{
    if (QQuickItem *pRoot = rootObject()) {
        pRoot->setProperty("width", event->size().width());
        pRoot->setProperty("height", event->size().height());
    }
    QQuickView::resizeEvent(event);
}
