#pragma once

#include <QPointer>

class CCanvas;
class CComposite;
class MQmlInterface;

// Fits the control tree to the QML control view: the view scale from the
// view's height, the scale of every panel, the text size and the centring.
// The results go to the interface object ("viewScale", "textSize",
// "pixelScale").
class MLayout
{
public:
    void setInterface(MQmlInterface *pInterface);
    void setScenes(CComposite *pScenes) { m_pScenes = pScenes; }
    void setCanvas(CCanvas *pCanvas) { m_pCanvas = pCanvas; }

    float scale() const { return m_scale; }
    // False, the scale unchanged, without the interface object or while the
    // view has no height.
    bool computeViewScale();
    bool layoutCanvas();
    // Centres the panels in the view's width when the canvas asks for it,
    // else only a current panel whose name holds "ToneEQ".
    bool centerControls(const CComposite *pCurrentPanel);

private:
    QObject *viewItem() const;

    QPointer<MQmlInterface> m_pInterface;
    CComposite *m_pScenes = nullptr;
    CCanvas *m_pCanvas = nullptr;
    float m_viewHeight = 0.0f;
    float m_viewWidth = 0.0f;
    float m_scale = 1.0f;
};
