#pragma once

#include <QString>
#include <QVariant>

class CDesktopView;
class CPanelHost;

// The surface the panels are drawn on: the target screen's size, aspect
// and orientation, the look (skin and accent) and the desktop QML's rows.
// The panel reader fills it; the main window sizes itself from it.
class CCanvas
{
public:
    CCanvas();
    virtual ~CCanvas();

    // Start of a Canvas element: the screen settings go back to their
    // defaults; skin, accent, text and pixel size stay.
    void reset();
    // As reset(), then the desktop QML is reset and reloaded and the pixel
    // size recomputed.
    void resetAndNotify();

    void setAttribute(const QString &name, const QString &value);
    void propertyDone(const QString &name);
    void setCanvasProperty(const char *name, const QVariant &value);

    bool loadDesktop(CDesktopView *pView);
    void resetQMLFocus();
    int computePixelSize();

    void setModel(CPanelHost *pModel) { m_pModel = pModel; }
    CPanelHost *model() const { return m_pModel; }

    QString device() const { return m_device; }
    float size() const { return m_size; }
    float aspect() const { return m_aspect; }
    int orientation() const { return m_orientation; }
    int pixelWidth() const { return m_pixelWidth; }
    int pixelHeight() const { return m_pixelHeight; }
    bool horizCenter() const { return m_horizcenter; }
    QString skin() const { return m_skin; }
    QString accent() const { return m_accent; }
    QString text() const { return m_text; }
    bool multiplyScaleFactor() const { return m_multiplyScaleFactor; }

    void setSkin(const QString &name);

private:
    void applySkinAndAccent();

    QString m_device;
    float m_size = 6.0f;
    float m_aspect = 16.0f / 9.0f;
    int m_orientation = 1;
    int m_pixelWidth = 200;
    int m_pixelHeight = 300;
    bool m_horizcenter = true;
    QString m_skin = QStringLiteral("Light");
    QString m_accent = QStringLiteral("Blue");
    QString m_text;
    CPanelHost *m_pModel = nullptr;
    bool m_multiplyScaleFactor = false;
    CDesktopView *m_pView = nullptr;
};
