#pragma once

#include <QMetaObject>
#include <QString>
#include <QVariant>

#include <functional>

class CCanvas;
class MProject;
class QObject;

// What the panels, their controls and their widgets ask of the application:
// navigation, the canvas and the project, the look, the desktop QML, the
// interface object and the connection indicator, and the warning box. The
// application's model implements it; tests give a fake.
class CPanelHost
{
public:
    virtual ~CPanelHost();

    // Shows the scene or page that the "\"-separated path names; a path that
    // names nothing leaves the page and shows a warning. True when found.
    virtual bool followLink(const QString &path) = 0;

    // The canvas the panels are drawn on and the project record; null when
    // there is none.
    virtual CCanvas *canvas() const = 0;
    virtual MProject *project() const = 0;

    // Sets the skin's or accent's values on the interface object; false when
    // the name has no skin file.
    virtual bool applySkin(const QString &skinName) = 0;
    // The canvas's skin and accent names; empty without a canvas.
    virtual QString getSkinName() const = 0;
    virtual QString getAccentName() const = 0;

    // The panel file's version text.
    virtual QString versionText() const = 0;
    virtual void setVersionText(const QString &text) = 0;

    // The desktop QML's canvas goes back to its start, and is drawn anew.
    virtual void resetDesktop() = 0;
    virtual void reloadDesktop() = 0;

    // The interface object: the QML root that holds the look and the
    // connection indicator; null before the QML view exists.
    virtual QObject *getInterface() const = 0;
    // One QML property of the interface object (such as "connectInd");
    // invalid without the interface object.
    virtual QVariant getInterfaceProperty(const QString &name) const = 0;

    // The last connection-indicator image path; empty before the first
    // update.
    virtual QString statusIndicatorPath() const = 0;
    // Calls slot, in the context object's thread, after each change of the
    // indicator (once statusIndicatorPath() gives the new path). The
    // connection ends with the context object.
    virtual QMetaObject::Connection connectStatusIndicator(QObject *pContext,
                                                           std::function<void()> slot) = 0;

    // A modal warning box with an OK button, through the application's
    // warning-box runner (which tests replace).
    virtual void showWarningBox(const QString &title, const QString &text) = 0;

protected:
    CPanelHost() = default;
    CPanelHost(const CPanelHost &) = default;
    CPanelHost &operator=(const CPanelHost &) = default;
};
