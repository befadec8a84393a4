#pragma once

#include "controls/WWidget.h"

class WBackgroundCover;
class WOnDemandItem;
class WPictureSource;

// The native half of the image widget: a picture of the project archive,
// in its control's rectangle or, as a background, over the control area.
class WImage : public WWidget
{
    Q_OBJECT

public:
    explicit WImage(QQuickItem *parent = nullptr);
    ~WImage() override;

    void initialize(QQuickItem *pItem) override;
    void applyAttributes(CAttributes *pAttributes) override;
    bool readAttribute(const QString &name, const QString &value) override;
    // A background takes no part in its control's bounds.
    QRectF geometry() const override;
    bool providesToolTip() const override { return true; }

    // Sets the property to the text, or to the archive member's file URL
    // when the text names an unpacked picture.
    void setImagePath(const char *propertyName, const QString &path);
    // Below 0 the picture sits in its rectangle; 0 or more makes it a
    // background with that fill mode. The rectangle it had comes back once.
    void setBackgroundFillMode(int mode);
    void setImageOpacity(double opacity);

private:
    static constexpr int kNothingSaved = -999;

    int m_savedX = kNothingSaved;
    int m_savedY = kNothingSaved;
    int m_savedWidth = kNothingSaved;
    int m_savedHeight = kNothingSaved;
    WPictureSource *m_pPictureSource = nullptr;
    WBackgroundCover *m_pCover = nullptr;
    // The measuring aid, while the path asks for it.
    WOnDemandItem *m_pDimensionsAid = nullptr;
};
