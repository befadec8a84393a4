#pragma once

#include "controls/WWidget.h"

#include <QMetaObject>
#include <QStringList>

// The native half of the label that names the rooms combined with its
// room: bound to a room node, it takes the names of the other rooms of the
// room's combination at every state request and every state report of
// the room's group. The QML item lists them.
class WActiveCombo : public WWidget
{
    Q_OBJECT
    Q_PROPERTY(QStringList roomNames READ roomNames NOTIFY otherRoomNamesChanged)
    Q_PROPERTY(int count READ count NOTIFY otherRoomNamesChanged)
    Q_PROPERTY(QString separator READ separator NOTIFY separatorChanged)
    Q_PROPERTY(int sideMargins READ sideMargins NOTIFY sideMarginsChanged)

public:
    explicit WActiveCombo(QQuickItem *parent = nullptr);
    ~WActiveCombo() override;

    QStringList roomNames() const { return m_roomNames; }
    int count() const { return int(m_roomNames.size()); }
    QString separator() const { return m_separator; }
    int sideMargins() const { return m_sideMargins; }
    // The names joined with ","; "NOT_EMPTY" before the first update, so
    // that the first always counts as a change.
    QString shownText() const { return m_shownText; }

    void initialize(QQuickItem *pItem) override;
    void destroy() override;
    void setCanvasItem(QQuickItem *pCanvasItem) override;
    void setState() override;
    void setNode(HNode *pNode) override;
    void release() override;
    // The label needs room for a name or two.
    void setControl(CControl *pControl) override;
    bool readAttribute(const QString &name, const QString &value) override;
    void writeAttributes(XmlWriter &writer) const override;

    static constexpr int MinimumWidth = 15;
    static constexpr int MinimumHeight = 40;

signals:
    void otherRoomNamesChanged();
    void separatorChanged();
    void sideMarginsChanged();

public slots:
    void onQueryResponseReady();

private:
    QStringList m_roomNames;
    QString m_shownText = QStringLiteral("NOT_EMPTY");
    QString m_separator;
    int m_sideMargins = 0;
    QMetaObject::Connection m_reportConnection;
};
