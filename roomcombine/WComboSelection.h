#pragma once

#include "controls/WWidget.h"

#include <QStringList>

// The native half of the combination selector: bound to a room-combining
// group node, it offers one swatch per combination of the group, in the
// combination's colour. A press on a swatch makes that combination the
// group's selected one, which the next room click joins rooms to. The
// selection lives in the group node, so every selector of one group shows
// the same.
class WComboSelection : public WWidget
{
    Q_OBJECT
    Q_PROPERTY(QStringList comboColors READ comboColors NOTIFY comboColorsChanged)
    Q_PROPERTY(int selectedIndex READ selectedIndex WRITE setSelectedIndex NOTIFY selectedIndexChanged)
    Q_PROPERTY(int count READ count NOTIFY comboColorsChanged)
    Q_PROPERTY(int sideMargins READ sideMargins NOTIFY sideMarginsChanged)

public:
    explicit WComboSelection(QQuickItem *parent = nullptr);
    ~WComboSelection() override;

    // Before a node is bound: a preview of seven colours.
    QStringList comboColors() const { return m_comboColors; }
    // The group's selected combination; 0 without a node.
    int selectedIndex() const;
    void setSelectedIndex(int index);
    int count() const { return int(m_comboColors.size()); }
    int sideMargins() const { return m_sideMargins; }

    void initialize(QQuickItem *pItem) override;
    void destroy() override;
    void setState() override;
    void linkValue(WWidget *pSource) override;
    // Takes the group's colours.
    void setNode(HNode *pNode) override;
    // The selector needs room for its swatches.
    void setControl(CControl *pControl) override;
    bool readAttribute(const QString &name, const QString &value) override;
    void writeAttributes(XmlWriter &writer) const override;

    // "lightgray" for an index outside the colours.
    Q_INVOKABLE QString getComboColor(int index) const;
    // Selects the combination; an index outside the colours names no
    // combination and is ignored.
    Q_INVOKABLE void selectorClicked(int index);

    static constexpr int MinimumWidth = 15;
    static constexpr int MinimumHeight = 40;

signals:
    void selectedIndexChanged();
    void comboColorsChanged();
    void sideMarginsChanged();

public slots:
    void onUpdateComboColorList();

private:
    QStringList m_comboColors;
    int m_sideMargins = 0;
};
