#include "DQmlMessageDialog.h"

#include "controls/VModeManager.h"

#include <QDebug>
#include <QEventLoop>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QUrl>

namespace {

DQmlMessageDialog::MessageBoxRunner &messageBoxRunner()
{
    static DQmlMessageDialog::MessageBoxRunner s_runner;
    return s_runner;
}

void prepareBox(QMessageBox &box, const QString &title, const QString &text,
                QMessageBox::StandardButton button)
{
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(title);
    box.setText(text);
    box.setStandardButtons(button);
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
}

// Sets a property only when the box's QML declares it: the About box has no
// title or button, and those values are meant to be dropped there.
void setDeclaredProperty(QObject *pObject, const char *name, const QVariant &value)
{
    if (pObject->metaObject()->indexOfProperty(name) >= 0)
        pObject->setProperty(name, value);
}

} // namespace

DQmlMessageDialog::DQmlMessageDialog(QObject *parent)
    : QObject(parent)
{
}

DQmlMessageDialog::~DQmlMessageDialog()
{
    releaseDialog();
    if (m_pReceiveBox)
        m_pReceiveBox->disconnect(this);
}

void DQmlMessageDialog::setMessageBoxRunner(MessageBoxRunner runner)
{
    messageBoxRunner() = std::move(runner);
}

bool DQmlMessageDialog::DoModal()
{
    qDebug() << "DoModal called.";
    // One box at a time per dialog object.
    if (m_pDialog)
        return true;

    createDialog();
    if (!m_pDialog)
        return true;

    // close() ends the wait; so does the box going away with the view.
    QEventLoop loop;
    m_pLoop = &loop;
    connect(m_pDialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    const QPointer<DQmlMessageDialog> self(this);
    loop.exec();
    if (!self)
        return true;
    m_pLoop = nullptr;
    // The loop also ends when the application quits; the box may still be
    // there then, and dies with the view.
    return true;
}

void DQmlMessageDialog::createDialog()
{
    if (!m_pContext)
        return;
    QQmlEngine *pEngine = m_pContext->engine();
    if (!pEngine)
        return;
    // Nothing to lay the box over: it could never be seen or closed.
    auto *pCanvasItem = qobject_cast<QQuickItem *>(VModeManager::instance()->canvasItem());
    if (!pCanvasItem)
        return;

    QQmlComponent component(pEngine, QUrl(m_qmlFile));
    QObject *pObject = component.isError() ? nullptr : component.create(m_pContext);
    if (!pObject) {
        qWarning() << "DQmlMessageDialog: cannot create the dialog" << m_qmlFile
                   << component.errors();
        return;
    }
    QQmlEngine::setObjectOwnership(pObject, QQmlEngine::CppOwnership);
    // Owned by the canvas item so that it goes with the view.
    pObject->setParent(pCanvasItem);
    if (auto *pItem = qobject_cast<QQuickItem *>(pObject))
        pItem->setParentItem(pCanvasItem);
    setDeclaredProperty(pObject, "button", m_buttonText);
    setDeclaredProperty(pObject, "title", m_title);
    setDeclaredProperty(pObject, "text", m_text);
    pObject->setProperty("visible", true);

    m_pDialog = pObject;
    VModeManager::instance()->setModalItem(pObject);
    // The boxes close themselves with Qt.quit().
    connect(pEngine, &QQmlEngine::quit, this, &DQmlMessageDialog::close, Qt::UniqueConnection);
}

bool DQmlMessageDialog::releaseDialog()
{
    if (!m_pDialog)
        return false;
    // Qt.quit() reaches us from inside the box's own code: delete it later.
    m_pDialog->deleteLater();
    m_pDialog = nullptr;
    VModeManager::instance()->setModalItem(nullptr);
    if (m_pLoop)
        m_pLoop->quit();
    return true;
}

void DQmlMessageDialog::quit()
{
    releaseDialog();
    emit closed();
}

void DQmlMessageDialog::close()
{
    releaseDialog();
}

void DQmlMessageDialog::applicationStateChanged(Qt::ApplicationState state)
{
    Q_UNUSED(state);
}

void DQmlMessageDialog::onReceiveModeDialogReject()
{
    emit receiveModeDialogClosed();
}

void DQmlMessageDialog::onReceiveModeDialogAccept()
{
}

void DQmlMessageDialog::onReceiveModeDialogFinished(int result)
{
    Q_UNUSED(result);
    emit receiveModeDialogClosed();
}

void DQmlMessageDialog::showMessageBox(QString title, QString text)
{
    QMessageBox box;
    prepareBox(box, title, text, QMessageBox::Ok);
    if (const MessageBoxRunner &runner = messageBoxRunner())
        runner(box);
    else
        box.exec();
}

QMessageBox *DQmlMessageDialog::showReceiveBox(QString title, QString text)
{
    if (m_pReceiveBox)
        m_pReceiveBox->disconnect(this);
    m_pReceiveBox = std::make_unique<QMessageBox>();
    QMessageBox *pBox = m_pReceiveBox.get();
    prepareBox(*pBox, title, text, QMessageBox::Cancel);
    // QML may call us; the box stays ours all the same.
    QQmlEngine::setObjectOwnership(pBox, QQmlEngine::CppOwnership);
    connect(pBox, &QDialog::rejected, this, &DQmlMessageDialog::onReceiveModeDialogReject);
    connect(pBox, &QDialog::accepted, this, &DQmlMessageDialog::onReceiveModeDialogAccept);
    connect(pBox, &QDialog::finished, this, &DQmlMessageDialog::onReceiveModeDialogFinished);
    pBox->open();
    return pBox;
}
