#pragma once

#include "controls/CPanelHost.h"

#include <QObject>
#include <QStringList>
#include <QVariantMap>

class CCanvas;
class MProject;

// A panel host for tests: it records what the panels and widgets ask of the
// application and answers from what the test sets. Links are found when
// they are listed in knownLinks.
class FakePanelHost : public QObject, public CPanelHost
{
    Q_OBJECT

public:
    bool followLink(const QString &path) override;
    CCanvas *canvas() const override { return pCanvas; }
    MProject *project() const override { return pProject; }
    bool applySkin(const QString &skinName) override;
    QString getSkinName() const override { return skinName; }
    QString getAccentName() const override { return accentName; }
    QString versionText() const override { return version; }
    void setVersionText(const QString &text) override { version = text; }
    void resetDesktop() override { desktopCalls.append(QStringLiteral("reset")); }
    void reloadDesktop() override { desktopCalls.append(QStringLiteral("reload")); }
    QObject *getInterface() const override { return pInterface; }
    QVariant getInterfaceProperty(const QString &name) const override;
    QString statusIndicatorPath() const override { return indicatorPath; }
    QMetaObject::Connection connectStatusIndicator(QObject *pContext,
                                                   std::function<void()> slot) override;
    void showWarningBox(const QString &title, const QString &text) override;

    // A new indicator path, announced as the model does.
    void changeIndicator(const QString &path);

    CCanvas *pCanvas = nullptr;
    MProject *pProject = nullptr;
    QObject *pInterface = nullptr;
    QString skinName = QStringLiteral("Light");
    QString accentName = QStringLiteral("Blue");
    QString version;
    QString indicatorPath;
    QStringList knownLinks;

    QStringList links;
    QStringList skins;
    QStringList desktopCalls;
    QStringList warnings;

signals:
    void indicatorChanged();
};
