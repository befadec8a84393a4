#pragma once

#include "controls/WWidget.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTimer>

// The native half of a widget shaped by an outline of vertices. The QML
// item draws the outline from the vertex JSON; the native side keeps the
// vertices, answers whether a point lies inside and reacts to presses.
class WPolygon : public WWidget
{
    Q_OBJECT

public:
    explicit WPolygon(QQuickItem *parent = nullptr);
    ~WPolygon() override;

    // The item draws contents of its own.
    void initialize(QQuickItem *pItem) override;
    // An outline keeps its own shape; it is not placed from fractions.
    void layoutIn(const QRectF &parentRect) override;
    bool readAttribute(const QString &name, const QString &value) override;
    // The base attributes, then "fieldcolor", "bordercolor",
    // "borderwidth", "polygon" and "path".
    void writeAttributes(XmlWriter &writer) const override;
    // Scales the item as the base does and the vertices with it.
    void scale(float factor, bool multiply) override;
    // Moves the vertex at index to the point once the drag pauses: the
    // last request within VertexMoveDelayMs wins. An index outside the
    // list instead moves the outline's corner to the item's origin.
    void placeAt(const QPointF &point, int index, bool repaint) override;
    void dump() const override;

    // Colours the drawn child at the index; a plain outline has none.
    virtual void setChildColor(const QColor &colour, int childIndex, bool noRepaint);
    // The item's rectangle changed: the outline is drawn anew.
    virtual void updateGeometry(const QRectF &newRect, const QRectF &oldRect);

    QList<QPointF> vertices() const { return m_vertices; }
    // The target named by the panel file's "path".
    QString path() const { return m_path; }

    // Inside when the point lies within the outline or on its edge.
    Q_INVOKABLE bool containsPoint(double x, double y) const;
    // The smallest rectangle around every vertex (each a tiny square); the
    // zero rectangle without vertices.
    QRectF boundingBox() const;
    bool isMovePending() const { return m_moveTimer.isActive(); }
    const QTimer *vertexMoveTimer() const { return &m_moveTimer; }
    bool isGeometryDirty() const { return m_geometryDirty; }

    // The vertices as "x,y" pairs, each followed by a blank.
    static QString vertexText(const QList<QPointF> &vertices);
    // Pieces without a "," (or starting with one) are skipped.
    static QList<QPointF> parseVertexText(const QString &text);
    // A JSON array of {"x", "y"} objects in vertex order.
    static QString vertexJson(const QList<QPointF> &vertices);

    // What a press at the point (item coordinates) does; true when it was
    // taken. A plain outline takes none.
    virtual bool press(double x, double y);

    // The vertices parsed from a JSON array of {"x", "y"} objects; false
    // (and nothing in *pVertices) unless the text is such an array with at
    // least one vertex, each coordinate a number.
    static bool parseVertexJson(const QByteArray &json, QList<QPointF> *pVertices);

    // A vertex drag waits this long for the next position.
    static constexpr int VertexMoveDelayMs = 100;

    Q_INVOKABLE QString getVertexJson() const;
    // The fill colour is the QML item's own; nothing to do here.
    Q_INVOKABLE void setFieldColor(const QColor &colour);
    // The QML item's edited outline replaces the vertices. A text that is
    // not a JSON array of points keeps the old ones: a slip in an edit must
    // not wipe out a room of the floor plan.
    Q_INVOKABLE void saveVertices(const QByteArray &vertexJsonList);

public slots:
    // Called by the QML item on a press; true when the press was taken.
    bool outputPressed(double x, double y);
    // Edit gestures are the QML item's own; the native side takes none.
    bool editWidget(double x, double y, int keys, int state);

protected:
    // Hands the vertices to the QML item, which draws from them.
    void publishVertices();
    // Asks the QML item to draw itself again.
    void repaint();
    // A colour property as the panel file writes it: "#rrggbb", or
    // "#aarrggbb" when it is not opaque; empty for no colour.
    static QString colourText(const QVariant &value);

private:
    void onMoveTimeout();

    QList<QPointF> m_vertices;
    QString m_path;
    QTimer m_moveTimer;
    QPointF m_pendingPoint;
    int m_pendingIndex = -1;
    bool m_pendingRepaint = false;
    bool m_geometryDirty = false;
};
