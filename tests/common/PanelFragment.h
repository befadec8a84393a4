#pragma once

#include <QQuickItem>
#include <QString>

#include <memory>

class CComposite;
class CControl;
class HBlock;
class HChassis;
class HRoot;
class QQmlEngine;
class WWidget;

// Controls written as the inside of a panel file's "Controls" element, read
// by the panel reader with the real widget factory and the shipped QML
// files. The device tree holds one chassis (key "Chassis|||30216") with one
// block labelled "Sel" (nodeID 9, index 2), so a control can bind to it.
class PanelFragment
{
public:
    explicit PanelFragment(const QString &controlsXml);
    ~PanelFragment();

    bool isParsed() const { return m_parsed; }
    CControl *control(const QString &name) const;
    // The control's first widget; null when there is none.
    WWidget *widget(const QString &controlName) const;
    HBlock *block() const { return m_pBlock; }

private:
    std::unique_ptr<QQmlEngine> m_pEngine;
    QQuickItem m_parentItem;
    std::unique_ptr<HRoot> m_pDeviceRoot;
    std::unique_ptr<CComposite> m_pScenes;
    HBlock *m_pBlock = nullptr;
    bool m_parsed = false;
};
