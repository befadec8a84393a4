#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QQmlEngine;

// The interface QML (its skin colours, image paths and sizes) for widget
// tests that need "intrf" without the application: a plain stand-in is
// registered as the interface element, so the shipped file loads as it is.
namespace InterfaceQml {

// The root object of "qrc:/qml/QmlInterface.qml"; null, with the errors in
// pErrors, when it cannot be made.
std::unique_ptr<QObject> create(QQmlEngine &engine, QString *pErrors = nullptr);

} // namespace InterfaceQml
