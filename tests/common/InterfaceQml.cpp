#include "InterfaceQml.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QUrl>

std::unique_ptr<QObject> InterfaceQml::create(QQmlEngine &engine, QString *pErrors)
{
    // A plain object as the root: the file declares every property itself.
    static const bool s_registered =
        qmlRegisterType<QObject>("mqmlinterface", 1, 0, "MQmlInterface") >= 0;
    Q_UNUSED(s_registered);
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/qml/QmlInterface.qml")));
    std::unique_ptr<QObject> pInterface(component.create());
    if (!pInterface && pErrors)
        *pErrors = component.errorString();
    return pInterface;
}
