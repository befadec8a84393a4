#pragma once

#include <QList>
#include <QString>

class CControl;
class TTransform;
class TTransformRegistry;

// Makes transforms by their panel-file name and keeps the process-wide
// registry of controls that own one, through which a control finds another
// bound to the same parameter and shares its transform.
//
// The registry holds guarded pointers: a control that is destroyed without
// unregistering drops out by itself, so no caller ever gets a dangling one.
// Its lookups take constant time (see TTransformRegistry).
class TTransformFactory
{
public:
    // A new transform owned by the caller, or null for an unknown name.
    static TTransform *createTransform(const QString &name);

    static void registerControl(CControl *pControl);
    static void unregisterControl(CControl *pControl);
    // The living registered controls, in registration order.
    static QList<CControl *> registeredControls();
    // Empties the registry; done when the control tree goes.
    static void clearRegistry();

    static bool isRegistered(const CControl *pControl);
    // The control registered last, other than the asking one, that holds a
    // transform and has the asking control's node, name and kind.
    static CControl *lastSharingControl(const CControl *pAsking);
    // The control registered last, other than pExcept, that holds the
    // transform.
    static CControl *lastHolder(const TTransform *pTransform, const CControl *pExcept);
    // A registered control's node, name, kind or transform changed.
    static void registeredControlChanged();

private:
    static TTransformRegistry &registry();
};
