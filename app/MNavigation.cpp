#include "MNavigation.h"

#include "app/MLayout.h"
#include "app/MQmlInterface.h"
#include "controls/CComposite.h"

#include <QCoreApplication>

namespace {
const QString kScenesKind = QStringLiteral("Scenes");
const QString kPanelsKind = QStringLiteral("Panels");
const QString kControlsKind = QStringLiteral("Controls");

bool isToneEqPage(const CComposite *pPanel)
{
    return pPanel && pPanel->name().contains(QLatin1String("ToneEQ"));
}
} // namespace

MNavigation::MNavigation(MLayout &layout, QObject *parent)
    : QObject(parent)
    , m_layout(layout)
{
}

MNavigation::~MNavigation() = default;

void MNavigation::setInterface(MQmlInterface *pInterface)
{
    m_pInterface = pInterface;
}

void MNavigation::setInterfaceProperty(const char *name, const QVariant &value)
{
    if (m_pInterface)
        m_pInterface->setProperty(name, value);
}

CControl *MNavigation::currentScene() const
{
    return m_pScenes ? m_pScenes->currentChild(kScenesKind) : nullptr;
}

CComposite *MNavigation::lookUpCurrentPanel()
{
    m_pCurrentPanel =
        m_pScenes ? qobject_cast<CComposite *>(m_pScenes->currentChild(kPanelsKind)) : nullptr;
    return m_pCurrentPanel;
}

bool MNavigation::selectScene(const QString &name)
{
    if (!m_pScenes)
        return false;
    const CControl *pScene = currentScene();
    if (pScene && pScene->name() == name)
        return true;
    // An unknown name leaves the current page as it is.
    bool known = false;
    for (int i = 0; i < m_pScenes->childCount(); ++i) {
        if (m_pScenes->childAt(i)->name() == name)
            known = true;
    }
    if (!known)
        return false;
    if (m_pCurrentPanel)
        m_pCurrentPanel->setVisible(false);
    if (!m_pScenes->selectChild(kScenesKind, name))
        return false;
    bool result = true;
    if (lookUpCurrentPanel()) {
        m_pCurrentPanel->setVisible(true);
        updatePageProperties();
        m_pCurrentPanel->requestState();
    } else {
        result = false;
    }
    updateSceneTitle();
    emit resetQMLFocus();
    return result;
}

bool MNavigation::selectSceneByIndex(int index)
{
    const CControl *pScene = m_pScenes ? m_pScenes->childAt(index) : nullptr;
    if (!pScene)
        return false;
    return selectScene(pScene->name());
}

bool MNavigation::showPage(int index)
{
    auto *pScene = m_pCurrentPanel ? qobject_cast<CComposite *>(m_pCurrentPanel->parentControl()) : nullptr;
    if (!m_pScenes || !pScene) {
        m_pCurrentPanel = nullptr;
        return false;
    }
    // An index outside the list keeps the page that is shown.
    if (index < 0 || index >= pScene->childCount())
        return false;
    m_pCurrentPanel->setVisible(false);
    pScene->setCurrentIndex(index);
    m_pCurrentPanel = qobject_cast<CComposite *>(pScene->currentChild(kPanelsKind));
    if (m_pCurrentPanel) {
        m_pCurrentPanel->setVisible(true);
        if (isToneEqPage(m_pCurrentPanel))
            m_layout.centerControls(m_pCurrentPanel);
    }
    setInterfaceProperty("pageIndex", index);
    if (m_pCurrentPanel)
        m_pCurrentPanel->requestState();
    return true;
}

bool MNavigation::stepPage(int step)
{
    const auto *pScene = m_pCurrentPanel ? qobject_cast<CComposite *>(m_pCurrentPanel->parentControl()) : nullptr;
    if (!pScene)
        return false;
    const int count = pScene->childCount();
    const int next = pScene->currentIndex() + step;
    int index = next;
    if (next < 0)
        index = count - 1;
    else if (next >= count)
        index = 0;
    return showPage(index);
}

bool MNavigation::pageArrow(const QString &key)
{
    if (key == QLatin1String("leftarrow"))
        return stepPage(-1);
    if (key == QLatin1String("rightarrow"))
        return stepPage(1);
    return false;
}

void MNavigation::showCurrentPanel(bool visible)
{
    if (m_pCurrentPanel) {
        m_pCurrentPanel->setVisible(visible);
        return;
    }
    if (m_pScenes) {
        if (CControl *pControl = m_pScenes->currentChild(kControlsKind))
            pControl->setVisible(visible);
    }
}

bool MNavigation::followLink(const QString &path)
{
    if (!m_pScenes) {
        emit reloadCanvas();
        return true;
    }
    m_pScenes->setVisible(false);
    QString rest = path;
    const bool found = m_pScenes->selectPath(rest);
    if (found) {
        if (lookUpCurrentPanel()) {
            m_pCurrentPanel->setVisible(true);
            if (const auto *pScene = qobject_cast<CComposite *>(m_pCurrentPanel->parentControl()))
                setInterfaceProperty("pageIndex", pScene->currentIndex());
        }
        updatePageProperties();
        if (m_pCurrentPanel)
            m_pCurrentPanel->requestState();
        updateSceneTitle();
        emit resetQMLFocus();
    } else {
        if (m_pCurrentPanel)
            m_pCurrentPanel->setVisible(true);
        // The warning is the model's text.
        emit linkNotFound(QCoreApplication::translate("MModel",
                                                      "Error - No link has been defined for this region.\n\n"
                                                      "Please set a link using the properties panel.")
                          + path);
    }
    emit reloadCanvas();
    return found;
}

void MNavigation::updatePageProperties()
{
    if (!lookUpCurrentPanel())
        return;
    if (const auto *pScene = qobject_cast<CComposite *>(m_pCurrentPanel->parentControl())) {
        setInterfaceProperty("pageCount", pScene->childCount());
        setInterfaceProperty("pageIndex", pScene->currentIndex());
    }
}

void MNavigation::updateSceneTitle()
{
    const CControl *pScene = currentScene();
    setInterfaceProperty("sceneTitle", pScene ? pScene->name() : QString());
}
