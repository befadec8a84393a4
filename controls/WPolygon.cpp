#include "WPolygon.h"

#include "project/XmlWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVariantList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Rounds to single precision; values beyond its range become infinite
// rather than undefined.
float toSingle(double value)
{
    constexpr double largest = double(std::numeric_limits<float>::max());
    if (value > largest)
        return std::numeric_limits<float>::infinity();
    if (value < -largest)
        return -std::numeric_limits<float>::infinity();
    return float(value);
}

// Whether the point lies within the distance of the segment from a to b.
bool isNearSegment(const QPointF &point, const QPointF &a, const QPointF &b, double distance)
{
    const QPointF ab = b - a;
    const double lengthSquared = QPointF::dotProduct(ab, ab);
    double t = 0.0;
    if (lengthSquared > 0.0)
        t = std::clamp(QPointF::dotProduct(point - a, ab) / lengthSquared, 0.0, 1.0);
    const QPointF offset = point - (a + t * ab);
    return QPointF::dotProduct(offset, offset) <= distance * distance;
}

// Equal within a relative 1e-12, or an absolute 1e-12 next to zero.
bool isSameCoordinate(double a, double b)
{
    if (a == 0.0 || b == 0.0)
        return std::abs(a - b) <= 1e-12;
    return std::abs(a - b) <= 1e-12 * std::min(std::abs(a), std::abs(b));
}

} // namespace

WPolygon::WPolygon(QQuickItem *parent)
    : WWidget(parent)
{
    m_moveTimer.setSingleShot(true);
    m_moveTimer.setInterval(VertexMoveDelayMs);
    connect(&m_moveTimer, &QTimer::timeout, this, &WPolygon::onMoveTimeout);
}

WPolygon::~WPolygon() = default;

void WPolygon::initialize(QQuickItem *pItem)
{
    WWidget::initialize(pItem);
    setFlag(QQuickItem::ItemHasContents, true);
}

void WPolygon::writeAttributes(XmlWriter &writer) const
{
    if (!item())
        return;
    writer.writeStartElement(typeName());
    writeBaseAttributes(writer);
    writer.writeTextElement(QStringLiteral("fieldcolor"), colourText(itemProperty("fieldColor")));
    writer.writeTextElement(QStringLiteral("bordercolor"), colourText(itemProperty("borderColor")));
    writer.writeFloatElement(QStringLiteral("borderwidth"), double(itemProperty("borderWidth").toFloat()));
    writer.writeTextElement(QStringLiteral("polygon"), vertexText(m_vertices));
    writer.writeTextElement(QStringLiteral("path"), m_path);
    writer.writeEndElement(typeName());
}

void WPolygon::placeAt(const QPointF &point, int index, bool repaint)
{
    m_pendingPoint = point;
    m_pendingIndex = index;
    m_pendingRepaint = repaint;
    if (!m_moveTimer.isActive())
        m_moveTimer.start();
}

void WPolygon::onMoveTimeout()
{
    bool changed = false;
    if (m_pendingIndex < 0 || m_pendingIndex >= m_vertices.size()) {
        // The outline's corner goes to the item's origin, and the item
        // takes the outline's place and size.
        const QRectF box = boundingBox();
        if (box.left() != 0.0 || box.top() != 0.0) {
            for (QPointF &vertex : m_vertices)
                vertex -= box.topLeft();
            if (QQuickItem *pItem = item()) {
                pItem->setX(pItem->x() + box.left());
                pItem->setY(pItem->y() + box.top());
                pItem->setWidth(box.width());
                pItem->setHeight(box.height());
            }
            changed = true;
        }
    } else {
        QPointF &vertex = m_vertices[m_pendingIndex];
        if (!isSameCoordinate(vertex.x(), m_pendingPoint.x())
            || !isSameCoordinate(vertex.y(), m_pendingPoint.y())) {
            vertex = m_pendingPoint;
            changed = true;
        }
    }
    if (!changed)
        return;
    publishVertices();
    if (m_pendingRepaint)
        repaint();
}

QString WPolygon::colourText(const QVariant &value)
{
    const QColor colour = value.value<QColor>();
    if (!colour.isValid())
        return QString();
    return colour.name(colour.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

QRectF WPolygon::boundingBox() const
{
    // Tiny squares, so that a box around vertices on one line is not
    // empty, and united stays a plain union.
    constexpr double side = 1e-6;
    QRectF box;
    for (const QPointF &vertex : m_vertices)
        box = box.united(QRectF(vertex, QSizeF(side, side)));
    return box;
}

void WPolygon::setChildColor(const QColor &colour, int childIndex, bool noRepaint)
{
    Q_UNUSED(colour);
    Q_UNUSED(childIndex);
    Q_UNUSED(noRepaint);
}

void WPolygon::updateGeometry(const QRectF &newRect, const QRectF &oldRect)
{
    m_geometryDirty = true;
    repaint();
    QQuickItem::geometryChange(newRect, oldRect);
}

void WPolygon::repaint()
{
    QQuickItem *pItem = item();
    if (!pItem)
        return;
    // The shipped items draw on a canvas, which repaints on request only.
    if (pItem->metaObject()->indexOfMethod("repaint()") >= 0)
        QMetaObject::invokeMethod(pItem, "repaint");
    else
        pItem->update();
}

bool WPolygon::editWidget(double x, double y, int keys, int state)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    Q_UNUSED(keys);
    Q_UNUSED(state);
    return false;
}

void WPolygon::setFieldColor(const QColor &colour)
{
    Q_UNUSED(colour);
}

void WPolygon::saveVertices(const QByteArray &vertexJsonList)
{
    QList<QPointF> vertices;
    if (!parseVertexJson(vertexJsonList, &vertices))
        return;
    m_vertices = vertices;
    publishVertices();
}

bool WPolygon::parseVertexJson(const QByteArray &json, QList<QPointF> *pVertices)
{
    pVertices->clear();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return false;
    const QJsonArray array = document.array();
    QList<QPointF> vertices;
    for (const QJsonValue &value : array) {
        const QJsonValue x = value[QStringLiteral("x")];
        const QJsonValue y = value[QStringLiteral("y")];
        if (!value.isObject() || !x.isDouble() || !y.isDouble())
            return false;
        vertices.append(QPointF(x.toDouble(), y.toDouble()));
    }
    if (vertices.isEmpty())
        return false;
    *pVertices = vertices;
    return true;
}

void WPolygon::layoutIn(const QRectF &parentRect)
{
    Q_UNUSED(parentRect);
}

void WPolygon::dump() const
{
}

bool WPolygon::readAttribute(const QString &name, const QString &value)
{
    if (!item())
        return false;
    if (processRect(name, value))
        return true;
    if (name == QLatin1String("path")) {
        m_path = value;
    } else if (name == QLatin1String("fieldcolor")) {
        setColorProperty("fieldColor", value);
    } else if (name == QLatin1String("bordercolor")) {
        setColorProperty("borderColor", value);
    } else if (name == QLatin1String("borderwidth")) {
        setItemProperty("borderWidth", double(value.toFloat()));
    } else if (name == QLatin1String("polygon")) {
        m_vertices.append(parseVertexText(value));
        publishVertices();
    } else {
        return false;
    }
    return true;
}

void WPolygon::scale(float factor, bool multiply)
{
    WWidget::scale(factor, multiply);
    // The base leaves the item alone in these cases; the outline must stay
    // with it.
    if (!item() || !control() || factor == 0.0f || !std::isfinite(factor))
        return;
    for (QPointF &vertex : m_vertices) {
        vertex.setY(vertex.y() * factor);
        vertex.setX(multiply ? vertex.x() * factor : vertex.x() / factor);
    }
    publishVertices();
}

bool WPolygon::containsPoint(double x, double y) const
{
    // Points within this distance of an edge or vertex count as on it.
    constexpr float e = 1e-5f;
    const qsizetype count = m_vertices.size();
    if (count == 0)
        return false;

    const float px = toSingle(x);
    const float py = toSingle(y);
    QList<int> classes;
    classes.reserve(count);
    for (const QPointF &vertex : m_vertices) {
        const float dy = toSingle(vertex.y()) - py;
        classes.append(dy < -e ? -1 : (dy < e ? 0 : 1));
    }

    int crossings = 0;
    int touches = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype j = (i + 1) % count;
        // The outline itself belongs to the area, on slanted edges too,
        // where the crossing count alone would leave it to chance. Fewer
        // than three vertices enclose nothing.
        if (count >= 3 && isNearSegment(QPointF(x, y), m_vertices.at(i), m_vertices.at(j), double(e)))
            return true;
        if (classes.at(i) == classes.at(j))
            continue;
        const QPointF &a = m_vertices.at(i);
        const QPointF &b = m_vertices.at(j);
        const float dxa = toSingle(a.x()) - px;
        const float dxb = toSingle(b.x()) - px;
        if (dxa > e && dxb > e) {
            ++crossings;
        } else if (dxa > -e && dxb > -e) {
            // The edge passes through the point.
            ++touches;
        } else if (dxa > 0.0f || dxb > 0.0f) {
            // The edge straddles the point: does it cross to its right?
            const float dya = toSingle(a.y()) - py;
            const float slope = toSingle((b.x() - a.x()) / (b.y() - a.y()));
            if (dxa > slope * dya)
                ++crossings;
        }
    }
    return (crossings % 2) == 1 || touches == 1;
}

bool WPolygon::press(double x, double y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    return false;
}

bool WPolygon::outputPressed(double x, double y)
{
    return press(x, y);
}

QString WPolygon::getVertexJson() const
{
    return vertexJson(m_vertices);
}

QString WPolygon::vertexText(const QList<QPointF> &vertices)
{
    QString text;
    for (const QPointF &vertex : vertices) {
        text += QString::number(vertex.x(), 'g', 6) + QLatin1Char(',')
                + QString::number(vertex.y(), 'g', 6) + QLatin1Char(' ');
    }
    return text;
}

QList<QPointF> WPolygon::parseVertexText(const QString &text)
{
    QList<QPointF> vertices;
    const QStringList pieces = text.split(QLatin1Char(' '));
    for (const QString &piece : pieces) {
        const qsizetype comma = piece.indexOf(QLatin1Char(','));
        if (comma <= 0)
            continue;
        const float x = piece.left(comma).toFloat();
        const float y = piece.mid(comma + 1).toFloat();
        vertices.append(QPointF(double(x), double(y)));
    }
    return vertices;
}

QString WPolygon::vertexJson(const QList<QPointF> &vertices)
{
    QJsonArray array;
    for (const QPointF &vertex : vertices)
        array.append(QJsonObject{{QStringLiteral("x"), vertex.x()}, {QStringLiteral("y"), vertex.y()}});
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

void WPolygon::publishVertices()
{
    QVariantList points;
    points.reserve(m_vertices.size());
    for (const QPointF &vertex : m_vertices)
        points.append(vertex);
    setItemProperty("model", points);
    setItemProperty("polygon", vertexJson(m_vertices));
}
