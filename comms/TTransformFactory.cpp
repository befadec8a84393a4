#include "comms/TTransformFactory.h"

#include "comms/TBin8.h"
#include "comms/TChrL.h"
#include "comms/TGrpV.h"
#include "comms/THexL.h"
#include "comms/TPassThrough.h"
#include "comms/TStrL.h"
#include "comms/TStrV.h"
#include "comms/TText.h"
#include "controls/CControl.h"

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

QList<QPointer<CControl>> &TTransformFactory::registry()
{
    static QList<QPointer<CControl>> controls;
    return controls;
}

void TTransformFactory::registerControl(CControl *pControl)
{
    if (pControl)
        registry().append(pControl);
}

void TTransformFactory::unregisterControl(CControl *pControl)
{
    QList<QPointer<CControl>> &controls = registry();
    // Gone controls leave with any removal.
    controls.removeIf([](const QPointer<CControl> &p) { return p.isNull(); });
    for (qsizetype i = 0; i < controls.size(); ++i) {
        if (controls.at(i) == pControl) {
            controls.removeAt(i);
            return;
        }
    }
}

QList<CControl *> TTransformFactory::registeredControls()
{
    QList<CControl *> living;
    for (const QPointer<CControl> &p : std::as_const(registry())) {
        if (p)
            living.append(p);
    }
    return living;
}

void TTransformFactory::clearRegistry()
{
    registry().clear();
}
