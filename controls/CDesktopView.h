#pragma once

class QUrl;

// What the canvas needs of the window that shows the desktop QML: the
// screen's density, to size the canvas, and a place to show the file.
class CDesktopView
{
public:
    virtual ~CDesktopView();

    // Logical dots per inch of the view's screen.
    virtual float logicalDpi() const = 0;
    // Shows the QML file as the view's content.
    virtual void showDesktop(const QUrl &source) = 0;

protected:
    CDesktopView() = default;
    CDesktopView(const CDesktopView &) = default;
    CDesktopView &operator=(const CDesktopView &) = default;
};
