#pragma once

#include "controls/WWidget.h"

#include <QList>
#include <QPointF>
#include <QString>

// The native half of a widget shaped by an outline of vertices. The QML
// item draws the outline from the vertex JSON; the native side keeps the
// vertices, answers whether a point lies inside and reacts to presses.
class WPolygon : public WWidget
{
    Q_OBJECT

public:
    explicit WPolygon(QQuickItem *parent = nullptr);
    ~WPolygon() override;

    // An outline keeps its own shape; it is not placed from fractions.
    void layoutIn(const QRectF &parentRect) override;
    bool readAttribute(const QString &name, const QString &value) override;
    // Scales the item as the base does and the vertices with it.
    void scale(float factor, bool multiply) override;
    void dump() const override;

    QList<QPointF> vertices() const { return m_vertices; }
    // The target named by the panel file's "path".
    QString path() const { return m_path; }

    // Inside when the point lies within the outline or on its edge.
    bool containsPoint(double x, double y) const;

    // The vertices as "x,y" pairs, each followed by a blank.
    static QString vertexText(const QList<QPointF> &vertices);
    // Pieces without a "," (or starting with one) are skipped.
    static QList<QPointF> parseVertexText(const QString &text);
    // A JSON array of {"x", "y"} objects in vertex order.
    static QString vertexJson(const QList<QPointF> &vertices);

    // What a press at the point (item coordinates) does; true when it was
    // taken. A plain outline takes none.
    virtual bool press(double x, double y);

    Q_INVOKABLE QString getVertexJson() const;

public slots:
    // Called by the QML item on a press; true when the press was taken.
    bool outputPressed(double x, double y);

private:
    // Hands the vertices to the QML item, which draws from them.
    void publishVertices();

    QList<QPointF> m_vertices;
    QString m_path;
};
