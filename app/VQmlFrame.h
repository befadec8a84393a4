#pragma once

#include "app/DQmlMessageDialog.h"
#include "controls/CDesktopView.h"

#include <QPointer>
#include <QQuickView>
#include <QString>

#include <memory>

class MModel;
class MQmlInterface;
class MeterGaugeLocalization;
class QQmlComponent;
class QQmlEngine;
class QResizeEvent;

// The program's one QML window. It makes the program's QML types known,
// creates the interface object from its QML file and publishes it to all
// QML, links it with the model, and keeps the displayed root item at the
// window's size.
class VQmlFrame : public QQuickView, public CDesktopView
{
    Q_OBJECT

public:
    explicit VQmlFrame(QWindow *parent = nullptr);
    ~VQmlFrame() override;

    // Registers the QML types (once per process), loads the interface and,
    // when asked and a model is set, initialises the model.
    void registerQmlTypes(bool initializeModel);
    // The QML type registrations themselves: the interface object's and
    // every engine family's types (MEngineTypes); also done by
    // registerQmlTypes.
    static void registerTypes();
    void loadInterface(QQmlEngine *pEngine);

    // Stores the model and links it with the interface object when there is
    // one.
    void setModel(MModel *pModel);
    MModel *model() const;
    // The comma-separated main-menu entries; needs the interface object.
    void setupMenuData(const QString &text);
    // Logical DPI of the view's screen; 72 without a screen.
    float logicalDpi() const override;
    // Sets the file as the view's source.
    void showDesktop(const QUrl &source) override;
    // The window given at construction; not owned.
    QWindow *parentWindow() const { return m_pParentWindow; }

    // Null until loaded, or when the interface QML could not be created.
    MQmlInterface *interfaceObject() const;
    DQmlMessageDialog &messageDialog() { return m_messageDialog; }
    MeterGaugeLocalization *meterGaugeLocalization() const { return m_pMeterGaugeLocalization.get(); }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // True when there were errors to print.
    static bool printComponentErrors(const QQmlComponent &component);
    void releaseInterface();

    QWindow *m_pParentWindow = nullptr;
    DQmlMessageDialog m_messageDialog;
    std::unique_ptr<QQmlComponent> m_pInterfaceComponent;
    QPointer<MQmlInterface> m_pInterface;
    QPointer<MModel> m_pModel;
    std::unique_ptr<MeterGaugeLocalization> m_pMeterGaugeLocalization;
};
