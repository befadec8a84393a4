#include "FakePanelHost.h"

bool FakePanelHost::followLink(const QString &path)
{
    links.append(path);
    return knownLinks.contains(path);
}

bool FakePanelHost::applySkin(const QString &name)
{
    skins.append(name);
    return true;
}

QVariant FakePanelHost::getInterfaceProperty(const QString &name) const
{
    return pInterface ? pInterface->property(name.toLatin1().constData()) : QVariant();
}

QMetaObject::Connection FakePanelHost::connectStatusIndicator(QObject *pContext,
                                                              std::function<void()> slot)
{
    return connect(this, &FakePanelHost::indicatorChanged, pContext, std::move(slot));
}

void FakePanelHost::showWarningBox(const QString &title, const QString &text)
{
    warnings.append(title + QLatin1Char('|') + text);
}

void FakePanelHost::changeIndicator(const QString &path)
{
    indicatorPath = path;
    emit indicatorChanged();
}
