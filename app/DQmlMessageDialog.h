#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QQmlContext>
#include <QString>

#include <functional>
#include <memory>

class QEventLoop;
class QQmlEngine;

// The program's simple dialogs: a modal QML box laid over the canvas
// (DoModal), a native message box with an Ok button (showMessageBox, called
// from QML as "MsgBoxController") and the non-blocking receive-mode box with
// a Cancel button (showReceiveBox).
class DQmlMessageDialog : public QObject
{
    Q_OBJECT

public:
    // Runs a prepared modal message box in place of QMessageBox::exec and
    // returns its result; lets headless runs answer the box.
    using MessageBoxRunner = std::function<int(QMessageBox &box)>;

    explicit DQmlMessageDialog(QObject *parent = nullptr);
    ~DQmlMessageDialog() override;

    // A URL text such as "qrc:/qml/objects/QmlMessageDialog.qml".
    void setQmlFile(const QString &file) { m_qmlFile = file; }
    QString qmlFile() const { return m_qmlFile; }
    void setTitle(const QString &title) { m_title = title; }
    QString title() const { return m_title; }
    void setText(const QString &text) { m_text = text; }
    QString text() const { return m_text; }
    void setButtonText(const QString &text) { m_buttonText = text; }
    QString buttonText() const { return m_buttonText; }
    // Where the QML box is created; borrowed.
    void setContext(QQmlContext *pContext) { m_pContext = pContext; }
    QQmlContext *context() const { return m_pContext; }

    // Shows the QML box and returns once it has closed; returns at once when
    // no box could be shown. Always true.
    bool DoModal();
    // Creates the QML box over the canvas item; nothing when there is no
    // context, engine, canvas item or creatable file.
    void createDialog();
    // The QML box while it is shown, else null.
    QObject *dialogObject() const { return m_pDialog; }
    // The receive-mode box while this dialog holds one, else null.
    QMessageBox *receiveBox() const { return m_pReceiveBox.get(); }

    // Null restores QMessageBox::exec.
    static void setMessageBoxRunner(MessageBoxRunner runner);

signals:
    void closed();
    void receiveModeDialogClosed();

public slots:
    void quit();
    void close();
    void applicationStateChanged(Qt::ApplicationState state);
    void onReceiveModeDialogReject();
    void onReceiveModeDialogAccept();
    void onReceiveModeDialogFinished(int result);

public:
    Q_INVOKABLE void showMessageBox(QString title, QString text);
    Q_INVOKABLE QMessageBox *showReceiveBox(QString title, QString text);

private:
    // Releases the QML box; true when one was shown.
    bool releaseDialog();

    // Guarded: the box is a child of the canvas item and dies with the view.
    QPointer<QObject> m_pDialog;
    QString m_qmlFile;
    QString m_title;
    QString m_text;
    QString m_buttonText;
    QPointer<QQmlContext> m_pContext;
    std::unique_ptr<QMessageBox> m_pReceiveBox;
    // The wait of DoModal while it runs.
    QEventLoop *m_pLoop = nullptr;
};
