#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class CComposite;
class CControl;
class MLayout;
class MQmlInterface;

// Which scene and page of the control tree is shown: selecting scenes,
// paging, following links, and the page properties of the interface object
// ("pageIndex", "pageCount", "sceneTitle"). The current panel is the
// current scene's current page; everything else of the tree stays hidden.
class MNavigation : public QObject
{
    Q_OBJECT

public:
    // The layout re-centres the "ToneEQ" pages as they are shown.
    explicit MNavigation(MLayout &layout, QObject *parent = nullptr);
    ~MNavigation() override;

    void setInterface(MQmlInterface *pInterface);
    // The control root, kind "Scenes".
    void setScenes(CComposite *pScenes) { m_pScenes = pScenes; }

    CComposite *currentPanel() const { return m_pCurrentPanel; }
    // The current scene's current panel, looked up again and kept.
    CComposite *lookUpCurrentPanel();
    // Before the tree is emptied.
    void forgetCurrentPanel() { m_pCurrentPanel = nullptr; }
    CControl *currentScene() const;

    bool selectScene(const QString &name);
    bool selectSceneByIndex(int index);
    bool showPage(int index);
    // Wraps round at either end.
    bool stepPage(int step);
    // "leftarrow" and "rightarrow" step by one.
    bool pageArrow(const QString &key);
    void showCurrentPanel(bool visible);
    // A "\"-separated path of names, ".." for the parent; a path that names
    // nothing keeps the page shown and asks for a warning.
    bool followLink(const QString &path);

    void updatePageProperties();
    void updateSceneTitle();

signals:
    void resetQMLFocus();
    void reloadCanvas();
    // A link named nothing; the text is the warning for the user.
    void linkNotFound(const QString &warning);

private:
    void setInterfaceProperty(const char *name, const QVariant &value);

    MLayout &m_layout;
    QPointer<MQmlInterface> m_pInterface;
    CComposite *m_pScenes = nullptr;
    CComposite *m_pCurrentPanel = nullptr;
};
