#pragma once

#include "controls/WLabel.h"

#include <QTimer>

class WOnDemandItem;

// The native half of the panel-link widget: a text or picture that the
// operator clicks to open another scene or panel.
class WPanelLink : public WLabel
{
    Q_OBJECT

public:
    explicit WPanelLink(QQuickItem *parent = nullptr);
    ~WPanelLink() override;

    void initialize(QQuickItem *pItem) override;
    bool readAttribute(const QString &name, const QString &value) override;
    void setState() override;
    bool providesToolTip() const override { return true; }

    QString targetPath() const { return m_targetPath; }

public slots:
    // Called by the QML item on a click.
    void selectPanel();
    void onJumpTimerTimeout();

private:
    QString m_targetPath;
    // The switch rebuilds the canvas and may delete this link, so it runs
    // from the event loop, after the click has been handled.
    QTimer m_jumpTimer;
    // The picture, while the link shows one instead of its text.
    WOnDemandItem *m_pPicture = nullptr;
};
