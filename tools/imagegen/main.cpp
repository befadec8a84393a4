// imagegen: draws the program's own skin, accent, icon and demo-project pictures.
//
//   QT_QPA_PLATFORM=offscreen imagegen RESOURCES_FOLDER
//
// Writes images/skins/<Skin>/, images/skins/Accent/<Accent>/, the pictures
// shared by all skins in images/ (the meter lamps among them), and
// demo/image/ under RESOURCES_FOLDER. The
// pictures are committed with the sources; this tool is run by hand when one
// of them is to change, never by the build.
// Flat colours and one fixed font family keep the files small and the output
// the same from run to run.

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QStringList>
#include <QtMath>

#include <cstdio>
#include <functional>

namespace {

const QString fontFamily = QStringLiteral("DejaVu Sans");
constexpr int iconSize = 48;
const QSize logoSize(200, 48);

struct Skin
{
    QString name;
    QColor glyph;      // colour of lines and text
    QColor knockout;   // the canvas colour, for cut-outs inside filled shapes
};

struct Accent
{
    QString name;
    QColor colour;
};

using Painting = std::function<void(QPainter &)>;

QFont font(int pixelSize, bool bold)
{
    QFont f(fontFamily);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QPen roundPen(const QColor &colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

class ImageWriter
{
public:
    explicit ImageWriter(const QString &root) : m_root(root) {}

    // Paints one transparent picture and saves it as PNG under the root.
    bool write(const QString &relativePath, const QSize &size, const Painting &paint)
    {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            paint(painter);
        }
        const QString path = m_root + QLatin1Char('/') + relativePath;
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            std::fprintf(stderr, "imagegen: cannot create the folder of %s\n", qPrintable(path));
            return false;
        }
        // Quality 0 asks for the strongest PNG compression.
        if (!image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG", 0)) {
            std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(path));
            return false;
        }
        ++m_written;
        return true;
    }

    int written() const { return m_written; }

private:
    QString m_root;
    int m_written = 0;
};

// --- Skin and accent glyphs (48 x 48) -------------------------------------

void drawChevron(QPainter &p, const QColor &colour, const QPolygonF &points)
{
    p.setPen(roundPen(colour, 5.0));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(points);
}

void drawMenu(QPainter &p, const QColor &colour)
{
    p.setPen(roundPen(colour, 4.0));
    for (const qreal y : {14.0, 24.0, 34.0})
        p.drawLine(QPointF(10, y), QPointF(38, y));
}

void drawIndicator(QPainter &p, const QColor &colour)
{
    p.setPen(QPen(colour.darker(140), 2.0));
    p.setBrush(colour);
    p.drawEllipse(QPointF(24, 24), 15, 15);
}

void drawSpeaker(QPainter &p, const QColor &colour)
{
    QPolygonF body;
    body << QPointF(6, 18) << QPointF(14, 18) << QPointF(24, 9) << QPointF(24, 39)
         << QPointF(14, 30) << QPointF(6, 30);
    p.setPen(roundPen(colour, 2.0));
    p.setBrush(colour);
    p.drawPolygon(body);
}

void drawSoundWaves(QPainter &p, const QColor &colour)
{
    p.setPen(roundPen(colour, 3.5));
    p.setBrush(Qt::NoBrush);
    for (const qreal radius : {7.0, 14.0}) {
        const QRectF box(24 - radius, 24 - radius, 2 * radius, 2 * radius);
        p.drawArc(box, -50 * 16, 100 * 16);
    }
}

void drawCross(QPainter &p, const QColor &colour)
{
    p.setPen(roundPen(colour, 3.5));
    p.drawLine(QPointF(30, 18), QPointF(41, 30));
    p.drawLine(QPointF(41, 18), QPointF(30, 30));
}

void drawSetAll(QPainter &p, const QColor &colour)
{
    p.setPen(roundPen(colour, 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(8, 8, 32, 32), 5, 5);
    p.setPen(roundPen(colour, 4.0));
    p.drawPolyline(QPolygonF({QPointF(15, 24), QPointF(21, 31), QPointF(33, 17)}));
}

void drawResetAll(QPainter &p, const QColor &colour)
{
    const QPointF centre(24, 24);
    const qreal radius = 13;
    const qreal startDegrees = 110;
    const qreal spanDegrees = 270;
    p.setPen(roundPen(colour, 4.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
              int(startDegrees * 16), int(spanDegrees * 16));

    // Arrow head at the end of the arc, pointing along it (counter-clockwise).
    const qreal end = qDegreesToRadians(startDegrees + spanDegrees);
    const QPointF arcEnd(centre.x() + radius * qCos(end), centre.y() - radius * qSin(end));
    const QPointF along(-qSin(end), -qCos(end));
    const QPointF across(along.y(), -along.x());
    QPolygonF head;
    head << arcEnd + along * 7 << arcEnd + across * 6 << arcEnd - across * 6;
    p.setPen(roundPen(colour, 1.5));
    p.setBrush(colour);
    p.drawPolygon(head);
}

// The tool row's dashboard button: a screen with a pulse trace. Drawn per
// skin in its glyph colour; the mid-grey copy among the shared pictures is
// what the interface shows before a skin is applied.
void drawDashboard(QPainter &p, const QColor &colour)
{
    p.setPen(roundPen(colour, 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6, 8, 36, 32), 5, 5);
    // A pulse trace across the screen.
    p.setPen(roundPen(colour, 3.0));
    p.drawPolyline(QPolygonF({QPointF(10, 25), QPointF(17, 25), QPointF(21, 16), QPointF(26, 33),
                              QPointF(30, 22), QPointF(33, 25), QPointF(38, 25)}));
}

void drawHalvernLogo(QPainter &p, const Skin &skin)
{
    p.setPen(Qt::NoPen);
    p.setBrush(skin.glyph);
    p.drawEllipse(QPointF(24, 24), 19, 19);
    // Three bars of a level display cut out of the disc.
    p.setBrush(skin.knockout);
    const qreal heights[] = {12, 22, 16};
    for (int i = 0; i < 3; ++i) {
        const qreal h = heights[i];
        p.drawRoundedRect(QRectF(14 + i * 8, 24 - h / 2, 5, h), 2, 2);
    }
    p.setPen(skin.glyph);
    p.setFont(font(22, true));
    p.drawText(QRectF(50, 0, 150, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("HALVERN"));
}

void drawVrmLogo(QPainter &p, const Skin &skin)
{
    p.setPen(roundPen(skin.glyph, 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6, 6, 36, 36), 6, 6);
    // Three faders at different positions.
    const qreal knobs[] = {28, 16, 22};
    for (int i = 0; i < 3; ++i) {
        const qreal x = 15 + i * 9;
        p.setPen(roundPen(skin.glyph, 2.0));
        p.drawLine(QPointF(x, 13), QPointF(x, 35));
        p.setPen(Qt::NoPen);
        p.setBrush(skin.glyph);
        p.drawRoundedRect(QRectF(x - 3.5, knobs[i] - 2.5, 7, 5), 1.5, 1.5);
        p.setBrush(Qt::NoBrush);
    }
    p.setPen(skin.glyph);
    p.setFont(font(28, true));
    p.drawText(QRectF(52, 0, 148, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VRM"));
}

bool writeSkin(ImageWriter &writer, const Skin &skin)
{
    const QString folder = QStringLiteral("images/skins/%1/").arg(skin.name);
    const QSize icon(iconSize, iconSize);
    const QColor c = skin.glyph;
    bool ok = true;
    ok &= writer.write(folder + QStringLiteral("arrow_right.png"), icon, [&](QPainter &p) {
        drawChevron(p, c, QPolygonF({QPointF(18, 11), QPointF(31, 24), QPointF(18, 37)}));
    });
    ok &= writer.write(folder + QStringLiteral("arrow_left.png"), icon, [&](QPainter &p) {
        drawChevron(p, c, QPolygonF({QPointF(30, 11), QPointF(17, 24), QPointF(30, 37)}));
    });
    ok &= writer.write(folder + QStringLiteral("menu.png"), icon,
                       [&](QPainter &p) { drawMenu(p, c); });
    ok &= writer.write(folder + QStringLiteral("indicator_red.png"), icon,
                       [&](QPainter &p) { drawIndicator(p, QColor(0xE5, 0x39, 0x35)); });
    ok &= writer.write(folder + QStringLiteral("indicator_ylw.png"), icon,
                       [&](QPainter &p) { drawIndicator(p, QColor(0xFF, 0xC1, 0x07)); });
    ok &= writer.write(folder + QStringLiteral("indicator_grn.png"), icon,
                       [&](QPainter &p) { drawIndicator(p, QColor(0x43, 0xA0, 0x47)); });
    ok &= writer.write(folder + QStringLiteral("mute_off.png"), icon, [&](QPainter &p) {
        drawSpeaker(p, c);
        drawSoundWaves(p, c);
    });
    ok &= writer.write(folder + QStringLiteral("setAll.png"), icon,
                       [&](QPainter &p) { drawSetAll(p, c); });
    ok &= writer.write(folder + QStringLiteral("resetAll.png"), icon,
                       [&](QPainter &p) { drawResetAll(p, c); });
    ok &= writer.write(folder + QStringLiteral("logo_halvern.png"), logoSize,
                       [&](QPainter &p) { drawHalvernLogo(p, skin); });
    ok &= writer.write(folder + QStringLiteral("logo_vrm.png"), logoSize,
                       [&](QPainter &p) { drawVrmLogo(p, skin); });
    ok &= writer.write(folder + QStringLiteral("HealthDashboardIcon.png"), icon,
                       [&](QPainter &p) { drawDashboard(p, c); });
    return ok;
}

bool writeAccent(ImageWriter &writer, const Accent &accent)
{
    const QString folder = QStringLiteral("images/skins/Accent/%1/").arg(accent.name);
    const QSize icon(iconSize, iconSize);
    const QColor c = accent.colour;
    bool ok = true;
    ok &= writer.write(folder + QStringLiteral("arrow_down.png"), icon, [&](QPainter &p) {
        drawChevron(p, c, QPolygonF({QPointF(11, 18), QPointF(24, 31), QPointF(37, 18)}));
    });
    ok &= writer.write(folder + QStringLiteral("mute_on.png"), icon, [&](QPainter &p) {
        drawSpeaker(p, c);
        drawCross(p, c);
    });
    return ok;
}

// --- Pictures shared by all skins (48 x 48) ----------------------------------
// One mid grey that reads on the light and the dark canvas alike.

const QColor neutralGlyph(0x80, 0x82, 0x85);

void drawCollections(QPainter &p, const QColor &colour)
{
    p.setPen(roundPen(colour, 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(16, 6, 26, 26), 3, 3);
    p.drawPolyline(QPolygonF({QPointF(11, 12), QPointF(11, 37), QPointF(36, 37)}));
    p.drawPolyline(QPolygonF({QPointF(6, 17), QPointF(6, 42), QPointF(31, 42)}));
}

void drawFlash(QPainter &p, const QColor &colour)
{
    QPolygonF bolt;
    bolt << QPointF(28, 4) << QPointF(12, 27) << QPointF(23, 27) << QPointF(19, 44)
         << QPointF(36, 19) << QPointF(25, 19);
    p.setPen(roundPen(colour, 2.0));
    p.setBrush(colour);
    p.drawPolygon(bolt);
}

void drawHold(QPainter &p, const QColor &colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(13, 10, 8, 28), 2, 2);
    p.drawRoundedRect(QRectF(27, 10, 8, 28), 2, 2);
}

void drawPhone(QPainter &p, const QColor &colour)
{
    // A handset: two ear pieces joined by a curved grip.
    p.setPen(roundPen(colour, 7.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 14, 30, 30), 20 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(4, 22, 13, 9), 3, 3);
    p.drawRoundedRect(QRectF(31, 22, 13, 9), 3, 3);
}

void drawBackspace(QPainter &p, const QColor &colour)
{
    QPolygonF key;
    key << QPointF(4, 24) << QPointF(16, 11) << QPointF(43, 11) << QPointF(43, 37) << QPointF(16, 37);
    p.setPen(roundPen(colour, 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(key);
    p.drawLine(QPointF(23, 18), QPointF(35, 30));
    p.drawLine(QPointF(35, 18), QPointF(23, 30));
}

// Shown by an image widget until its picture is set: a framed landscape.
void drawDefaultPicture(QPainter &p, const QColor &colour)
{
    p.setPen(roundPen(colour, 3.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6, 6, 84, 84), 6, 6);
    QPolygonF hills;
    hills << QPointF(14, 78) << QPointF(38, 46) << QPointF(54, 64) << QPointF(66, 52) << QPointF(82, 78);
    p.drawPolyline(hills);
    p.drawEllipse(QPointF(66, 28), 7, 7);
}

bool writeCommon(ImageWriter &writer)
{
    const QSize icon(iconSize, iconSize);
    const QColor c = neutralGlyph;
    bool ok = true;
    ok &= writer.write(QStringLiteral("images/HealthDashboardIcon.png"), icon,
                       [&](QPainter &p) { drawDashboard(p, c); });
    ok &= writer.write(QStringLiteral("images/Collections.png"), icon,
                       [&](QPainter &p) { drawCollections(p, c); });
    ok &= writer.write(QStringLiteral("images/default.png"), QSize(96, 96),
                       [&](QPainter &p) { drawDefaultPicture(p, c); });
    ok &= writer.write(QStringLiteral("images/flash.png"), icon, [&](QPainter &p) { drawFlash(p, c); });
    ok &= writer.write(QStringLiteral("images/hold.png"), icon, [&](QPainter &p) { drawHold(p, c); });
    ok &= writer.write(QStringLiteral("images/phone.png"), icon, [&](QPainter &p) { drawPhone(p, c); });
    ok &= writer.write(QStringLiteral("images/ic_backspace.png"), icon,
                       [&](QPainter &p) { drawBackspace(p, c); });
    ok &= writer.write(QStringLiteral("images/mute_off.png"), icon, [&](QPainter &p) {
        drawSpeaker(p, c);
        drawSoundWaves(p, c);
    });
    ok &= writer.write(QStringLiteral("images/mute_on.png"), icon, [&](QPainter &p) {
        drawSpeaker(p, c);
        drawCross(p, c);
    });
    return ok;
}

// --- Device-status pictures (96 x 96) ---------------------------------------
// Shown beside a status device whose state needs a word: still gathering,
// unreachable, or no status to be had. Each in its state's colour.

constexpr int statusPictureSize = 96;

// A ring of dots fading round the circle, as a still of a spinner.
void drawLoadingInfo(QPainter &p)
{
    const QColor colour(0x63, 0xC0, 0xDF);
    constexpr int dots = 8;
    p.setPen(Qt::NoPen);
    for (int i = 0; i < dots; ++i) {
        const qreal angle = 2.0 * M_PI * i / dots - M_PI / 2.0;
        QColor dot = colour;
        dot.setAlphaF(0.25 + 0.75 * i / (dots - 1));
        p.setBrush(dot);
        p.drawEllipse(QPointF(48 + 32 * qCos(angle), 48 + 32 * qSin(angle)), 8, 8);
    }
}

// A rounded triangle with an exclamation mark.
void drawWarningSign(QPainter &p)
{
    const QColor colour(0xF5, 0xC1, 0x22);
    QPolygonF triangle;
    triangle << QPointF(48, 10) << QPointF(88, 82) << QPointF(8, 82);
    p.setPen(roundPen(colour, 8.0));
    p.setBrush(colour);
    p.drawPolygon(triangle);
    const QColor mark(0x23, 0x1F, 0x20);
    p.setPen(roundPen(mark, 9.0));
    p.drawLine(QPointF(48, 36), QPointF(48, 58));
    p.setPen(Qt::NoPen);
    p.setBrush(mark);
    p.drawEllipse(QPointF(48, 72), 5, 5);
}

// A disc with a question mark.
void drawErrorRetrievingInfo(QPainter &p)
{
    const QColor colour(0x79, 0x75, 0xA9);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QPointF(48, 48), 42, 42);
    p.setPen(Qt::white);
    p.setFont(font(60, true));
    p.drawText(QRectF(0, 0, 96, 96), Qt::AlignCenter, QStringLiteral("?"));
}

bool writeDeviceStatus(ImageWriter &writer)
{
    const QSize size(statusPictureSize, statusPictureSize);
    bool ok = true;
    ok &= writer.write(QStringLiteral("images/loadingInfo.png"), size, drawLoadingInfo);
    ok &= writer.write(QStringLiteral("images/warning.png"), size, drawWarningSign);
    ok &= writer.write(QStringLiteral("images/errorRetrievingInfo.png"), size, drawErrorRetrievingInfo);
    return ok;
}

// --- Meter pictures (48 x 48) ---------------------------------------------

// A round lamp in the zone's colour, with a darker rim and a highlight.
void drawMeterLamp(QPainter &p, const QColor &colour)
{
    const QPointF centre(24, 24);
    p.setPen(QPen(colour.darker(150), 3.0));
    p.setBrush(colour);
    p.drawEllipse(centre, 20, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 110));
    p.drawEllipse(QPointF(18, 17), 7, 5);
}

bool writeMeters(ImageWriter &writer)
{
    const QSize size(iconSize, iconSize);
    const struct {
        const char *name;
        QColor colour;
    } lamps[] = {
        {"images/meterGrey.png", QColor(0xC3, 0xC3, 0xC3)},
        {"images/meterGreen.png", QColor(0x21, 0xF3, 0x21)},
        {"images/meterYellow.png", QColor(0xFF, 0xF7, 0x80)},
        {"images/meterOrange.png", QColor(0xFF, 0x80, 0x00)},
    };
    bool ok = true;
    for (const auto &lamp : lamps) {
        const QColor colour = lamp.colour;
        ok &= writer.write(QLatin1String(lamp.name), size, [&](QPainter &p) { drawMeterLamp(p, colour); });
    }
    return ok;
}

// --- Telephone keypad keys (80 x 80), one folder per key colour ---------------
// images/dialer/<colour>/<key>_normal.png and _pressed.png. The call and
// accept keys are green, the end and decline keys red in every folder; the
// others take the folder's colour. A pressed key is a shade darker (black
// ones lighter), and every key has a rim so that white keys show on a light
// canvas.

constexpr int dialerKeySize = 80;

struct KeyColour
{
    QString folder;
    QColor face;
    QColor glyph;
};

QColor pressedShade(const QColor &colour)
{
    return colour.lightness() < 40 ? QColor(0x4A, 0x4D, 0x50) : colour.darker(125);
}

void drawKeyFace(QPainter &p, const QColor &face, bool pressed)
{
    const QColor fill = pressed ? pressedShade(face) : face;
    p.setPen(QPen(fill.lightness() > 200 ? QColor(0xA8, 0xAA, 0xAD) : fill.darker(140), 2.0));
    p.setBrush(fill);
    p.drawEllipse(QPointF(40, 40), 37, 37);
}

// A picture drawn for 48 x 48, placed in the middle of the key.
void drawIconOnKey(QPainter &p, qreal size, const std::function<void(QPainter &)> &icon)
{
    p.save();
    p.translate(40 - size / 2, 40 - size / 2);
    p.scale(size / 48.0, size / 48.0);
    icon(p);
    p.restore();
}

void drawDigitKey(QPainter &p, const QString &digit, const QString &letters, const QColor &glyph)
{
    p.setPen(glyph);
    if (letters.isEmpty()) {
        p.setFont(font(34, true));
        p.drawText(QRectF(0, 0, 80, 80), Qt::AlignCenter, digit);
        return;
    }
    p.setFont(font(30, true));
    p.drawText(QRectF(0, 8, 80, 40), Qt::AlignHCenter | Qt::AlignBottom, digit);
    p.setFont(font(12, false));
    p.drawText(QRectF(0, 48, 80, 18), Qt::AlignHCenter | Qt::AlignTop, letters);
}

void drawStar(QPainter &p, const QColor &glyph)
{
    p.setPen(roundPen(glyph, 5.0));
    for (int i = 0; i < 3; ++i) {
        const qreal angle = qDegreesToRadians(90.0 + i * 60.0);
        const QPointF d(13 * qCos(angle), 13 * qSin(angle));
        p.drawLine(QPointF(40, 40) - d, QPointF(40, 40) + d);
    }
}

void drawPound(QPainter &p, const QColor &glyph)
{
    p.setPen(roundPen(glyph, 4.5));
    p.drawLine(QPointF(34, 24), QPointF(30, 56));
    p.drawLine(QPointF(50, 24), QPointF(46, 56));
    p.drawLine(QPointF(25, 34), QPointF(56, 34));
    p.drawLine(QPointF(24, 46), QPointF(55, 46));
}

void drawPlus(QPainter &p, const QColor &glyph)
{
    p.setPen(roundPen(glyph, 6.0));
    p.drawLine(QPointF(40, 24), QPointF(40, 56));
    p.drawLine(QPointF(24, 40), QPointF(56, 40));
}

// The handset, turned down for the keys that end a call.
void drawHandset(QPainter &p, const QColor &glyph, bool down)
{
    drawIconOnKey(p, 58, [&](QPainter &q) {
        if (down) {
            q.translate(24, 24);
            q.rotate(180);
            q.translate(-24, -24);
        }
        drawPhone(q, glyph);
    });
}

bool writeDialerKey(ImageWriter &writer, const QString &folder, const QString &key,
                    const QColor &face, const std::function<void(QPainter &)> &glyph)
{
    const QSize size(dialerKeySize, dialerKeySize);
    bool ok = true;
    for (const bool pressed : {false, true}) {
        const QString name = QStringLiteral("images/dialer/%1/%2_%3.png")
                                 .arg(folder, key, pressed ? QStringLiteral("pressed")
                                                           : QStringLiteral("normal"));
        ok &= writer.write(name, size, [&](QPainter &p) {
            drawKeyFace(p, face, pressed);
            glyph(p);
        });
    }
    return ok;
}

bool writeDialerKeys(ImageWriter &writer)
{
    const QColor white(0xFF, 0xFF, 0xFF);
    const QColor dark(0x23, 0x1F, 0x20);
    const QList<KeyColour> colours = {
        {QStringLiteral("black"), QColor(0x00, 0x00, 0x00), white},
        {QStringLiteral("blue"), QColor(0x1D, 0x98, 0xD5), white},
        {QStringLiteral("green"), QColor(0x8B, 0xC3, 0x4A), white},
        {QStringLiteral("pink"), QColor(0xE9, 0x1E, 0x63), white},
        {QStringLiteral("red"), QColor(0xD3, 0x2F, 0x2F), white},
        {QStringLiteral("white"), QColor(0xFA, 0xFA, 0xFA), dark},
        {QStringLiteral("yellow"), QColor(0xFF, 0xC1, 0x07), dark},
    };
    const QColor callGreen(0x43, 0xA0, 0x47);
    const QColor endRed(0xE5, 0x39, 0x35);
    const QStringList letters = {QString(), QString(), QStringLiteral("ABC"), QStringLiteral("DEF"),
                                 QStringLiteral("GHI"), QStringLiteral("JKL"), QStringLiteral("MNO"),
                                 QStringLiteral("PQRS"), QStringLiteral("TUV"), QStringLiteral("WXYZ")};
    bool ok = true;
    for (const KeyColour &c : colours) {
        const QString &f = c.folder;
        for (int digit = 0; digit <= 9; ++digit) {
            const QString text = QString::number(digit);
            const QString below = digit == 0 ? QStringLiteral("+") : letters.at(digit);
            ok &= writeDialerKey(writer, f, text, c.face,
                                 [&](QPainter &p) { drawDigitKey(p, text, below, c.glyph); });
        }
        ok &= writeDialerKey(writer, f, QStringLiteral("star"), c.face,
                             [&](QPainter &p) { drawStar(p, c.glyph); });
        ok &= writeDialerKey(writer, f, QStringLiteral("pound"), c.face,
                             [&](QPainter &p) { drawPound(p, c.glyph); });
        ok &= writeDialerKey(writer, f, QStringLiteral("call"), callGreen,
                             [&](QPainter &p) { drawHandset(p, white, false); });
        ok &= writeDialerKey(writer, f, QStringLiteral("accept"), callGreen,
                             [&](QPainter &p) { drawHandset(p, white, false); });
        ok &= writeDialerKey(writer, f, QStringLiteral("end"), endRed,
                             [&](QPainter &p) { drawHandset(p, white, true); });
        ok &= writeDialerKey(writer, f, QStringLiteral("decline"), endRed,
                             [&](QPainter &p) { drawHandset(p, white, true); });
        ok &= writeDialerKey(writer, f, QStringLiteral("hold"), c.face, [&](QPainter &p) {
            drawIconOnKey(p, 44, [&](QPainter &q) { drawHold(q, c.glyph); });
        });
        ok &= writeDialerKey(writer, f, QStringLiteral("flash"), c.face, [&](QPainter &p) {
            drawIconOnKey(p, 46, [&](QPainter &q) { drawFlash(q, c.glyph); });
        });
        ok &= writeDialerKey(writer, f, QStringLiteral("add"), c.face,
                             [&](QPainter &p) { drawPlus(p, c.glyph); });
        ok &= writeDialerKey(writer, f, QStringLiteral("backspace"), c.face, [&](QPainter &p) {
            drawIconOnKey(p, 44, [&](QPainter &q) { drawBackspace(q, c.glyph); });
        });
    }
    return ok;
}

// --- Button LEDs (48 x 48) -------------------------------------------------
// A lamp with a bezel: lit ones bright with a glow, unlit ones dark.

void drawLed(QPainter &p, const QColor &colour, bool lit)
{
    const QPointF centre(24, 24);
    if (lit) {
        QColor glow = colour;
        glow.setAlpha(70);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(centre, 22, 22);
    }
    p.setPen(QPen(QColor(0x5A, 0x5C, 0x5E), 3.0));
    p.setBrush(lit ? colour : colour.darker(260));
    p.drawEllipse(centre, 16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, lit ? 150 : 60));
    p.drawEllipse(QPointF(19, 18), 6, 4);
}

bool writeLeds(ImageWriter &writer)
{
    const QSize size(iconSize, iconSize);
    const QColor green(0x2E, 0xCC, 0x40);
    const QColor red(0xE5, 0x39, 0x35);
    bool ok = true;
    ok &= writer.write(QStringLiteral("images/ledOn.png"), size, [&](QPainter &p) { drawLed(p, green, true); });
    ok &= writer.write(QStringLiteral("images/ledOffGreen.png"), size,
                       [&](QPainter &p) { drawLed(p, green, false); });
    ok &= writer.write(QStringLiteral("images/ledRed.png"), size, [&](QPainter &p) { drawLed(p, red, true); });
    ok &= writer.write(QStringLiteral("images/ledOffRed.png"), size,
                       [&](QPainter &p) { drawLed(p, red, false); });
    return ok;
}

// --- Demo project pictures --------------------------------------------------

void drawLoudspeaker(QPainter &p, const QRectF &box)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x26, 0x32, 0x38));
    p.drawRoundedRect(box, 3, 3);
    p.setBrush(QColor(0x54, 0x6E, 0x7A));
    const qreal r = box.width() * 0.3;
    p.drawEllipse(QPointF(box.center().x(), box.top() + box.height() * 0.3), r * 0.6, r * 0.6);
    p.drawEllipse(QPointF(box.center().x(), box.top() + box.height() * 0.68), r, r);
}

void drawDemoRoom(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE3, 0xE9, 0xEE));   // wall
    p.drawRect(0, 0, 400, 170);
    p.setBrush(QColor(0xA1, 0x88, 0x7F));   // floor
    p.drawRect(0, 170, 400, 70);
    p.setBrush(QColor(0x6D, 0x4C, 0x41));   // stage
    p.drawRect(90, 150, 220, 26);
    p.setBrush(QColor(0x2B, 0x3A, 0x4A));   // screen
    p.drawRect(130, 30, 140, 84);
    p.setPen(QColor(0xFF, 0xFF, 0xFF));
    p.setFont(font(26, true));
    p.drawText(QRectF(130, 30, 140, 84), Qt::AlignCenter, QStringLiteral("DEMO"));
    drawLoudspeaker(p, QRectF(40, 60, 34, 60));
    drawLoudspeaker(p, QRectF(326, 60, 34, 60));
    // Rows of seats.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x45, 0x5A, 0x64));
    for (int row = 0; row < 2; ++row) {
        for (int seat = 0; seat < 8; ++seat)
            p.drawRoundedRect(QRectF(64 + seat * 36, 192 + row * 24, 26, 14), 3, 3);
    }
}

void drawMusicPlayer(QPainter &p)
{
    const QColor body(0x37, 0x47, 0x4F);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(24, 6, 48, 84), 9, 9);
    p.setBrush(QColor(0x80, 0xCB, 0xC4));   // display
    p.drawRoundedRect(QRectF(30, 12, 36, 32), 3, 3);
    // A note on the display.
    p.setBrush(body);
    p.drawEllipse(QPointF(44, 36), 5, 4);
    p.setPen(roundPen(body, 2.5));
    p.drawLine(QPointF(48.5, 36), QPointF(48.5, 18));
    p.drawLine(QPointF(48.5, 18), QPointF(56, 22));
    // Control wheel.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xEC, 0xEF, 0xF1));
    p.drawEllipse(QPointF(48, 67), 16, 16);
    p.setBrush(body);
    p.drawEllipse(QPointF(48, 67), 6, 6);
}

void drawHandheldMic(QPainter &p)
{
    p.translate(48, 48);
    p.rotate(30);
    p.translate(-48, -48);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x37, 0x47, 0x4F));   // handle
    p.drawPolygon(QPolygonF({QPointF(40, 40), QPointF(56, 40), QPointF(52, 92), QPointF(44, 92)}));
    p.setBrush(QColor(0x90, 0xA4, 0xAE));   // ring
    p.drawRoundedRect(QRectF(38, 36, 20, 7), 2, 2);
    // Grille with a mesh.
    const QPointF centre(48, 21);
    const qreal radius = 17;
    QPainterPath grille;
    grille.addEllipse(centre, radius, radius);
    p.setBrush(QColor(0xB0, 0xBE, 0xC5));
    p.drawPath(grille);
    p.setClipPath(grille);
    p.setPen(QPen(QColor(0x78, 0x90, 0x9C), 1.5));
    for (qreal d = -radius; d <= radius; d += 6) {
        p.drawLine(QPointF(centre.x() + d, centre.y() - radius), QPointF(centre.x() + d, centre.y() + radius));
        p.drawLine(QPointF(centre.x() - radius, centre.y() + d), QPointF(centre.x() + radius, centre.y() + d));
    }
}

void drawDemoBanner(QPainter &p)
{
    const QColor blue(0x1D, 0x98, 0xD5);
    const QColor white(0xFF, 0xFF, 0xFF);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawRoundedRect(QRectF(0, 0, 300, 60), 10, 10);
    p.setBrush(white);
    p.drawEllipse(QPointF(32, 30), 20, 20);
    p.setBrush(blue);
    const qreal heights[] = {14, 24, 18};
    for (int i = 0; i < 3; ++i)
        p.drawRoundedRect(QRectF(21 + i * 8.5, 30 - heights[i] / 2, 5, heights[i]), 2, 2);
    p.setPen(white);
    p.setFont(font(21, true));
    p.drawText(QRectF(62, 6, 234, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VAROLIN REMOTE"));
    p.setFont(font(14, false));
    p.drawText(QRectF(62, 32, 234, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Demo Project"));
}

bool writeDemo(ImageWriter &writer)
{
    bool ok = true;
    ok &= writer.write(QStringLiteral("demo/image/Demo.png"), QSize(400, 240), drawDemoRoom);
    ok &= writer.write(QStringLiteral("demo/image/MusicPlayer.png"), QSize(96, 96), drawMusicPlayer);
    ok &= writer.write(QStringLiteral("demo/image/HandheldMic.png"), QSize(96, 96), drawHandheldMic);
    ok &= writer.write(QStringLiteral("demo/image/VarolinRemoteDemoProjectLogoBannerWide.png"),
                       QSize(300, 60), drawDemoBanner);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: imagegen RESOURCES_FOLDER\n");
        return 1;
    }
    // A substituted font would change every text picture; refuse to draw.
    const QFontInfo used(font(20, false));
    if (used.family() != fontFamily) {
        std::fprintf(stderr, "imagegen: font family \"%s\" is not installed (got \"%s\")\n",
                     qPrintable(fontFamily), qPrintable(used.family()));
        return 1;
    }

    ImageWriter writer(args.at(1));
    const QList<Skin> skins = {
        {QStringLiteral("Light"), QColor(0x23, 0x1F, 0x20), QColor(0xFF, 0xFF, 0xFF)},
        {QStringLiteral("Dark"), QColor(0xFF, 0xFF, 0xFF), QColor(0x46, 0x49, 0x49)},
    };
    const QList<Accent> accents = {
        {QStringLiteral("Black"), QColor(0x00, 0x00, 0x00)},
        {QStringLiteral("Blue"), QColor(0x1D, 0x98, 0xD5)},
        {QStringLiteral("Green"), QColor(0x8B, 0xC3, 0x4A)},
        {QStringLiteral("Pink"), QColor(0xE9, 0x1E, 0x63)},
        {QStringLiteral("Red"), QColor(0xD3, 0x2F, 0x2F)},
        {QStringLiteral("White"), QColor(0xFA, 0xFA, 0xFA)},
        {QStringLiteral("Yellow"), QColor(0xFF, 0xC1, 0x07)},
    };

    bool ok = true;
    for (const Skin &skin : skins)
        ok &= writeSkin(writer, skin);
    for (const Accent &accent : accents)
        ok &= writeAccent(writer, accent);
    ok &= writeCommon(writer);
    ok &= writeDeviceStatus(writer);
    ok &= writeMeters(writer);
    ok &= writeLeds(writer);
    ok &= writeDemo(writer);
    ok &= writeDialerKeys(writer);
    std::printf("imagegen: %d pictures written\n", writer.written());
    return ok ? 0 : 1;
}
