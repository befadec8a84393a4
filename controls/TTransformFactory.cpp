#include "controls/TTransformFactory.h"

#include "controls/TTransformRegistry.h"

#include "comms/TBin8.h"
#include "comms/TChrL.h"
#include "comms/TGrpV.h"
#include "comms/THexL.h"
#include "comms/TPassThrough.h"
#include "comms/TStrL.h"
#include "comms/TStrV.h"
#include "comms/TText.h"

TTransform *TTransformFactory::createTransform(const QString &name)
{
    if (name == QLatin1String("bin8") || name == QLatin1String("idx8"))
        return new TBin8;
    if (name == QLatin1String("strV"))
        return new TStrV;
    if (name == QLatin1String("grpV"))
        return new TGrpV;
    if (name == QLatin1String("chrL"))
        return new TChrL;
    if (name == QLatin1String("hexL"))
        return new THexL;
    if (name == QLatin1String("strL"))
        return new TStrL;
    if (name == QLatin1String("text"))
        return new TText;
    if (name == QLatin1String("passThrough"))
        return new TPassThrough;
    return nullptr;
}

TTransformRegistry &TTransformFactory::registry()
{
    static TTransformRegistry s_registry;
    return s_registry;
}

void TTransformFactory::registerControl(CControl *pControl)
{
    registry().add(pControl);
}

void TTransformFactory::unregisterControl(CControl *pControl)
{
    registry().remove(pControl);
}

QList<CControl *> TTransformFactory::registeredControls()
{
    return registry().controls();
}

void TTransformFactory::clearRegistry()
{
    registry().clear();
}

bool TTransformFactory::isRegistered(const CControl *pControl)
{
    return registry().contains(pControl);
}

CControl *TTransformFactory::lastSharingControl(const CControl *pAsking)
{
    return registry().lastSharing(pAsking);
}

CControl *TTransformFactory::lastHolder(const TTransform *pTransform, const CControl *pExcept)
{
    return registry().lastHolding(pTransform, pExcept);
}

void TTransformFactory::registeredControlChanged()
{
    registry().changed();
}
