#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

class WWidgetFactory;

// Process-wide holder of the widget factory and source of control ids.
class WDelegate
{
public:
    // The one delegate, made on first use.
    static WDelegate *instance();
    // Deletes the delegate and its factory; the model calls it at shutdown.
    static void destroyInstance();

    virtual ~WDelegate();

    WWidgetFactory *factory() const { return m_pFactory.get(); }
    // Takes ownership; a factory set before is deleted.
    void setFactory(WWidgetFactory *pFactory);

    QString panelFilePath() const { return m_panelFilePath; }
    void setPanelFilePath(const QString &path) { m_panelFilePath = path; }

    // A new control id: never the same twice in a run.
    quint32 nextId();

private:
    WDelegate();
    Q_DISABLE_COPY(WDelegate)

    std::unique_ptr<WWidgetFactory> m_pFactory;
    QString m_panelFilePath;
    quint32 m_idCounter = 0;
};
