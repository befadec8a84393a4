#pragma once

#include "widgets/WButton.h"

// The native half of the text link: a text or picture that acts as one
// position of a selector. It lights up while the device value equals its
// index and sends its index when clicked.
class WTextLink : public WButton
{
    Q_OBJECT

public:
    explicit WTextLink(QQuickItem *parent = nullptr);
    ~WTextLink() override;

    void destroy() override;
    void setCanvasItem(QQuickItem *pCanvasItem) override;
    bool readAttribute(const QString &name, const QString &value) override;
    // Shows the device value as "current".
    void setState() override;
    bool providesToolTip() const override;
    void release() override;

    // The value this link sends; -1 until one was read.
    qint32 index() const { return m_index; }
    // The device value last shown.
    qint32 current() const { return m_current; }

public slots:
    // Sends the index, unless a device value is being shown.
    void outputClicked();

private:
    void setIndex(qint32 index);

    qint32 m_index = -1;
    qint32 m_current = -1;
};
