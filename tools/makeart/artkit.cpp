#include "artkit.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>

namespace art {
namespace {

// ---------------------------------------------------------------- palette

// Body and footer are shared by every standard screen: the pressed pictures,
// the M² caption and the stop-sign panel are painted on exactly these colours.
const QColor kBody(238, 242, 247);
const QColor kCard(247, 249, 252);
const QColor kCardBorder(184, 196, 214);
const QColor kFooter(221, 228, 238);
const QColor kFooterLine(194, 204, 218);
const QColor kFrameBorder(157, 174, 196);
const QColor kInk(30, 42, 58);
const QColor kInkSoft(92, 104, 122);
const QColor kAccent(242, 180, 65);  // amber hairline under every title
const QColor kWindowBlue(0, 0, 192); // main window colour
const QColor kSplashBlue(53, 88, 255);
const QColor kLime(0, 255, 0);
const QColor kPhoneBody(4, 10, 150);

struct ThemeColours {
    QColor top;
    QColor bottom;
};

ThemeColours themeColours(Theme t)
{
    switch (t) {
    case Theme::Brand: return {QColor(16, 32, 168), QColor(0, 0, 120)};
    case Theme::Rental: return {QColor(36, 108, 178), QColor(18, 64, 124)};
    case Theme::Sale: return {QColor(180, 88, 54), QColor(118, 48, 30)};
    case Theme::Land: return {QColor(80, 128, 62), QColor(44, 82, 38)};
    case Theme::Request: return {QColor(104, 84, 172), QColor(60, 46, 118)};
    case Theme::Definition: return {QColor(84, 100, 122), QColor(48, 60, 80)};
    case Theme::Phone: return {QColor(32, 58, 160), QColor(12, 28, 100)};
    case Theme::Match: return {QColor(22, 128, 134), QColor(10, 82, 90)};
    }
    return {QColor(16, 32, 168), QColor(0, 0, 120)};
}

QColor mix(const QColor &a, const QColor &b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

QString u8(const char *s) { return QString::fromUtf8(s); }

// FNV-1a: a stable seed per picture, so a rerun writes identical files.
quint32 seedOf(const char *s)
{
    quint32 h = 2166136261u;
    for (; *s; ++s) {
        h ^= quint8(*s);
        h *= 16777619u;
    }
    return h;
}

// ---------------------------------------------------------------- fonts

QFont textFont(int px, QFont::Weight weight = QFont::Normal)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setPixelSize(px);
    f.setWeight(weight);
    return f;
}

// "Arial Black" where installed; otherwise the heaviest sans we ship with.
QFont heavyFont(int px)
{
    QFont f;
    if (QFontDatabase::families().contains(QStringLiteral("Arial Black"))) {
        f.setFamily(QStringLiteral("Arial Black"));
        f.setWeight(QFont::Black);
    } else {
        f.setFamily(QStringLiteral("DejaVu Sans"));
        f.setWeight(QFont::Bold);
    }
    f.setPixelSize(px);
    return f;
}

QFont fitFont(QFont f, const QString &text, qreal maxWidth, int minPx)
{
    while (f.pixelSize() > minPx && QFontMetricsF(f).horizontalAdvance(text) > maxWidth)
        f.setPixelSize(f.pixelSize() - 1);
    return f;
}

// ---------------------------------------------------------------- motifs

QImage transparentLayer(const QSize &size)
{
    QImage img(size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// A row of buildings and pitched-roof houses standing on the layer's bottom.
QImage skylineLayer(const QSize &size, const QColor &colour, quint32 seed, const QColor &lit = QColor())
{
    QImage img = transparentLayer(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator rng(seed);
    const qreal h = size.height();
    qreal x = -qreal(rng.bounded(8));
    while (x < size.width()) {
        const qreal w = 10 + rng.bounded(20);
        const int kind = rng.bounded(10);
        QPainterPath path;
        QRectF body;
        if (kind < 3) { // house: low body, pitched roof
            const qreal bh = h * (0.22 + 0.22 * rng.generateDouble());
            body = QRectF(x, h - bh, w, bh);
            path.addRect(body);
            QPolygonF roof;
            roof << QPointF(x - 2, h - bh) << QPointF(x + w / 2, h - bh - w * 0.48) << QPointF(x + w + 2, h - bh);
            path.addPolygon(roof);
        } else {
            const qreal bh = h * (0.40 + 0.58 * rng.generateDouble());
            body = QRectF(x, h - bh, w, bh);
            path.addRect(body);
            if (kind < 5) { // antenna
                path.addRect(QRectF(x + w / 2 - 0.75, h - bh - h * 0.12, 1.5, h * 0.12));
            } else if (kind < 7) { // stepped crown
                path.addRect(QRectF(x + w * 0.2, h - bh - 4, w * 0.6, 4));
            }
        }
        path.setFillRule(Qt::WindingFill);
        p.fillPath(path, colour);
        if (lit.isValid() && body.height() > 10 && w > 9) {
            for (qreal wy = body.top() + 4; wy < h - 4; wy += 5) {
                for (qreal wx = body.left() + 2.5; wx < body.right() - 3; wx += 4) {
                    if (rng.bounded(100) < 16)
                        p.fillRect(QRectF(wx, wy, 1.6, 2.2), lit);
                }
            }
        }
        x += w + rng.bounded(3) - 1;
    }
    return img;
}

// Lets a layer fade in from the left and out to the right.
void fadeEdges(QImage &img, qreal leftFrac, qreal rightFrac)
{
    QPainter p(&img);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    QLinearGradient g(0, 0, img.width(), 0);
    g.setColorAt(0, QColor(0, 0, 0, 0));
    g.setColorAt(qBound(0.0, leftFrac, 1.0), QColor(0, 0, 0, 255));
    g.setColorAt(qBound(0.0, 1 - rightFrac, 1.0), QColor(0, 0, 0, 255));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(img.rect(), g);
}

void drawSkyline(QPainter &p, const QRect &area, const QColor &colour, quint32 seed, qreal fadeLeft,
                 qreal fadeRight, const QColor &lit = QColor())
{
    if (area.width() <= 0 || area.height() <= 0)
        return;
    QImage layer = skylineLayer(area.size(), colour, seed, lit);
    fadeEdges(layer, fadeLeft, fadeRight);
    p.drawImage(area.topLeft(), layer);
}

// The product's emblem: a roof over a small house with a door.
void drawEmblem(QPainter &p, const QRectF &r, const QColor &colour, const QColor &door = QColor())
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = r.width(), h = r.height();
    QPen pen(colour, qMax(1.5, w * 0.11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPolygonF roof;
    roof << QPointF(r.left(), r.top() + h * 0.48) << QPointF(r.center().x(), r.top() + h * 0.06)
         << QPointF(r.right(), r.top() + h * 0.48);
    p.drawPolyline(roof);
    p.drawPolyline(QPolygonF() << QPointF(r.left() + w * 0.17, r.top() + h * 0.40)
                               << QPointF(r.left() + w * 0.17, r.bottom() - h * 0.04)
                               << QPointF(r.right() - w * 0.17, r.bottom() - h * 0.04)
                               << QPointF(r.right() - w * 0.17, r.top() + h * 0.40));
    p.setPen(Qt::NoPen);
    p.setBrush(door.isValid() ? door : colour);
    p.drawRect(QRectF(r.center().x() - w * 0.09, r.bottom() - h * 0.36, w * 0.18, h * 0.32));
    p.restore();
}

void drawShadowedText(QPainter &p, const QRectF &r, int flags, const QString &text, const QColor &colour,
                      int alpha = 90)
{
    p.setPen(QColor(0, 0, 0, alpha));
    p.drawText(r.translated(1, 1), flags, text);
    p.setPen(colour);
    p.drawText(r, flags, text);
}

// Resting look of a label button; the pressed picture replaces it while held.
void drawFrame(QPainter &p, const QRect &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(232, 237, 245));
    p.setPen(QPen(kFrameBorder, 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    p.restore();
}

void drawCard(QPainter &p, const QRect &r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kCardBorder, 1));
    p.setBrush(kCard);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    p.restore();
}

enum class Glyph { Minimise, Close, Power, Search, List, Globe };

Glyph glyphNamed(const char *name)
{
    const QByteArray n(name);
    if (n == "minimise")
        return Glyph::Minimise;
    if (n == "power")
        return Glyph::Power;
    if (n == "Ara")
        return Glyph::Search;
    if (n == "Tümü")
        return Glyph::List;
    return Glyph::Close;
}

void drawGlyph(QPainter &p, Glyph g, const QRectF &r, const QColor &colour, qreal width)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c = r.center();
    const qreal s = qMin(r.width(), r.height());
    switch (g) {
    case Glyph::Minimise:
        p.drawLine(QPointF(c.x() - s * 0.32, c.y() + s * 0.26), QPointF(c.x() + s * 0.32, c.y() + s * 0.26));
        break;
    case Glyph::Close:
        p.drawLine(QPointF(c.x() - s * 0.28, c.y() - s * 0.28), QPointF(c.x() + s * 0.28, c.y() + s * 0.28));
        p.drawLine(QPointF(c.x() + s * 0.28, c.y() - s * 0.28), QPointF(c.x() - s * 0.28, c.y() + s * 0.28));
        break;
    case Glyph::Power: {
        const QRectF ring(c.x() - s * 0.32, c.y() - s * 0.28, s * 0.64, s * 0.64);
        p.drawArc(ring, 120 * 16, 300 * 16); // open at the top
        p.drawLine(QPointF(c.x(), c.y() - s * 0.40), QPointF(c.x(), c.y() + s * 0.02));
        break;
    }
    case Glyph::Search: {
        const QRectF lens(c.x() - s * 0.36, c.y() - s * 0.36, s * 0.5, s * 0.5);
        p.drawEllipse(lens);
        p.drawLine(lens.center() + QPointF(s * 0.18, s * 0.18), QPointF(c.x() + s * 0.36, c.y() + s * 0.36));
        break;
    }
    case Glyph::Globe: {
        const QRectF ball(c.x() - s * 0.42, c.y() - s * 0.42, s * 0.84, s * 0.84);
        p.drawEllipse(ball);
        p.drawEllipse(ball.adjusted(s * 0.22, 0, -s * 0.22, 0));
        p.drawLine(QPointF(ball.left(), c.y()), QPointF(ball.right(), c.y()));
        break;
    }
    case Glyph::List:
        for (int i = 0; i < 3; ++i) {
            const qreal y = c.y() - s * 0.26 + i * s * 0.26;
            p.drawPoint(QPointF(c.x() - s * 0.30, y));
            p.drawLine(QPointF(c.x() - s * 0.12, y), QPointF(c.x() + s * 0.34, y));
        }
        break;
    }
    p.restore();
}

QStringList footerCaptions(const ScreenArt &s)
{
    return u8(s.footer).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

// ---------------------------------------------------------------- standard screens

void paintTitleBand(QPainter &p, const ScreenArt &s)
{
    const int W = s.size.width();
    const int band = titleBandHeight(s.size);
    const ThemeColours tc = themeColours(s.theme);

    QLinearGradient g(0, 0, 0, band);
    g.setColorAt(0, tc.top);
    g.setColorAt(1, tc.bottom);
    p.fillRect(0, 0, W, band, g);

    const int reserve = s.corner == Corner::None ? 8 : 58; // keeps the corner icons clear
    const qreal e = band * 0.52;
    const QString title = u8(s.title);
    const qreal textX = 12 + e + 9;
    const qreal avail = W - textX - reserve - 6;
    const QFont titleFont = fitFont(textFont(band >= 44 ? 21 : 17, QFont::Bold), title, avail, 11);
    const qreal titleEnd = textX + QFontMetricsF(titleFont).horizontalAdvance(title);

    // The skyline stands to the right of the title, never behind it.
    const int x0 = qMax(int(W * 0.42), int(titleEnd) + 24);
    const int skyH = int(band * 0.80);
    if (W - reserve - x0 >= 60)
        drawSkyline(p, QRect(x0, band - 2 - skyH, W - reserve - x0, skyH),
                    mix(tc.bottom, tc.top, 0.55).lighter(118), seedOf(s.objectName), 0.30, 0.12,
                    QColor(255, 226, 150, 150));

    drawEmblem(p, QRectF(12, (band - e) / 2 - 1, e, e), QColor(255, 255, 255), kAccent);
    p.setFont(titleFont);
    drawShadowedText(p, QRectF(textX, 0, avail, band - 2), Qt::AlignVCenter | Qt::AlignLeft, title,
                     QColor(255, 255, 255));

    p.fillRect(0, band - 2, W, 2, kAccent);
    QLinearGradient shade(0, band, 0, band + 5);
    shade.setColorAt(0, QColor(0, 0, 0, 38));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(0, band, W, 5, shade);
}

void paintBoxes(QPainter &p, const ScreenArt &s)
{
    const ThemeColours tc = themeColours(s.theme);
    for (const Box &b : s.boxes) {
        drawCard(p, b.rect);
        const QString title = u8(b.title);
        if (title.isEmpty())
            continue;
        p.setFont(textFont(13, QFont::Bold));
        const QRectF tr(b.rect.x() + 12, b.rect.y() + 4, b.rect.width() - 24, 18);
        p.setPen(tc.bottom);
        p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter, title);
        const qreal tw = QFontMetricsF(p.font()).horizontalAdvance(title);
        p.fillRect(QRectF(tr.x(), tr.bottom() + 1, tw, 2), kAccent);
    }
}

void paintFooter(QPainter &p, const ScreenArt &s)
{
    if (footerCaptions(s).isEmpty())
        return;
    const int W = s.size.width(), H = s.size.height();
    const int fh = footerHeight(s.size);
    p.fillRect(0, H - fh, W, fh, kFooter);
    p.fillRect(0, H - fh, W, 1, kFooterLine);
}

QImage paintStandard(const ScreenArt &s)
{
    QImage img(s.size, QImage::Format_RGB32);
    img.fill(kBody);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintTitleBand(p, s);
    {
        // A faint roofline in the lower right of the body, where grids and memos
        // usually cover it; on small windows it keeps the body from looking bare.
        const int bottom = s.size.height() - (footerCaptions(s).isEmpty() ? 0 : footerHeight(s.size));
        const int W = s.size.width();
        drawSkyline(p, QRect(int(W * 0.52), bottom - 50, W - int(W * 0.52), 50),
                    mix(kBody, themeColours(s.theme).bottom, 0.06), seedOf(s.objectName) ^ 0x5eed, 0.45, 0.0);
    }
    paintBoxes(p, s);
    paintFooter(p, s);
    for (const Spot &f : footerFrames(s))
        drawFrame(p, f.rect);
    for (const QRect &r : s.frames)
        drawFrame(p, r);
    return img;
}

// ---------------------------------------------------------------- special windows

QImage paintSplash(const ScreenArt &s)
{
    const int W = s.size.width(), H = s.size.height();
    QImage img(s.size, QImage::Format_RGB32);
    img.fill(kSplashBlue);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Soft light from the upper left; the clip area keeps the flat colour.
    QRadialGradient glow(QPointF(60, 20), 170);
    glow.setColorAt(0, QColor(255, 255, 255, 46));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, W, H), glow);
    p.fillRect(splash::clipArea.adjusted(-4, -4, 4, 4), kSplashBlue);
    p.setPen(QPen(QColor(140, 160, 255), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(splash::clipArea).adjusted(-5.5, -5.5, 5.5, 5.5), 6, 6);

    drawSkyline(p, QRect(0, H - 34, W, 30), QColor(30, 58, 210), seedOf("splash"), 0.0, 0.0,
                QColor(255, 214, 120, 170));
    p.fillRect(0, H - 5, W, 5, QColor(30, 58, 210));
    p.fillRect(0, H - 5, W, 1, kAccent);

    drawEmblem(p, QRectF(16, 28, 34, 34), QColor(255, 255, 255), kAccent);
    p.setFont(heavyFont(34));
    drawShadowedText(p, QRectF(56, 18, 150, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Evlora"),
                     QColor(255, 255, 255), 70);
    p.setFont(textFont(12, QFont::Bold));
    p.setPen(QColor(225, 232, 255));
    p.drawText(QRectF(18, 70, 186, 16), Qt::AlignLeft | Qt::AlignVCenter, u8("Emlak Ofisi Yönetim Programı"));
    p.setFont(textFont(11));
    p.setPen(QColor(200, 212, 255));
    p.drawText(QRectF(18, 88, 186, 14), Qt::AlignLeft | Qt::AlignVCenter, u8("Yükleniyor, lütfen bekleyin…"));
    return img;
}

QImage paintMain(const ScreenArt &s)
{
    using namespace mainwin;
    const int W = s.size.width();
    QImage img(s.size, QImage::Format_RGB32);
    img.fill(kWindowBlue);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Dusk sky over the city in the header.
    QLinearGradient sky(0, 0, 0, headerHeight);
    sky.setColorAt(0, QColor(0, 0, 110));
    sky.setColorAt(1, QColor(24, 48, 220));
    p.fillRect(0, 0, W, headerHeight, sky);
    drawSkyline(p, QRect(230, 14, W - 230, headerHeight - 14), QColor(0, 0, 96), seedOf("MainWindow"), 0.4, 0.0,
                QColor(255, 210, 110, 200));
    drawEmblem(p, QRectF(16, 13, 34, 34), QColor(255, 255, 255), kAccent);
    p.setFont(heavyFont(30));
    drawShadowedText(p, QRectF(60, 4, 200, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Evlora"),
                     QColor(255, 255, 255), 110);
    p.setFont(textFont(12, QFont::Bold));
    p.setPen(QColor(178, 196, 255));
    p.drawText(QRectF(62, 40, 240, 18), Qt::AlignLeft | Qt::AlignVCenter, u8("Emlak Ofisi Yönetim Programı"));
    p.fillRect(0, headerHeight, W, 2, kAccent);

    const QColor zoneLine(44, 64, 232);
    const QColor heading(124, 146, 255);
    auto zone = [&](const QRect &r) {
        p.setPen(QPen(zoneLine, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    };
    auto headingAt = [&](int x, int y, const char *text) {
        p.setFont(textFont(10, QFont::Bold));
        p.setPen(heading);
        p.drawText(QRectF(x, y, 300, 12), Qt::AlignLeft | Qt::AlignVCenter, u8(text));
    };

    // Menu column with a small roof bullet before every item.
    headingAt(menuZone.x() + 8, menuZone.y() - 13, "ANA MENÜ");
    zone(menuZone);
    for (int i = 0; i < 8; ++i) {
        const qreal cy = menuItemTop + i * menuItemPitch + menuItemSize.height() / 2.0;
        drawEmblem(p, QRectF(menuZone.x() + 6, cy - 5, 10, 10), kAccent);
    }

    // Where the panels open: a quiet welcome until one is chosen.
    {
        const QRect pr = panelSpot;
        QImage watermark = transparentLayer(pr.size());
        QPainter wp(&watermark);
        drawEmblem(wp, QRectF(pr.width() / 2.0 - 38, 10, 76, 76), QColor(22, 34, 214));
        wp.end();
        p.drawImage(pr.topLeft(), watermark);
        p.setFont(textFont(13, QFont::Bold));
        p.setPen(QColor(112, 134, 255));
        p.drawText(QRectF(pr.x(), pr.y() + 92, pr.width(), 18), Qt::AlignCenter, u8("Hoş Geldiniz"));
        p.setFont(textFont(11));
        p.setPen(QColor(90, 112, 246));
        p.drawText(QRectF(pr.x(), pr.y() + 110, pr.width(), 16), Qt::AlignCenter,
                   u8("Soldaki menüden bir bölüm seçin"));
    }

    // Clock: labels sit inside the zone, a dial sits at its right end.
    headingAt(clockZone.x() + 8, clockZone.y() - 13, "TARİH VE SAAT");
    zone(clockZone);
    {
        const QPointF c(clockZone.right() - 30, clockZone.center().y() + 1);
        p.setPen(QPen(QColor(56, 80, 240), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 18, 18);
        p.drawLine(c, c + QPointF(0, -11));
        p.drawLine(c, c + QPointF(8, 4));
    }

    // A line drawing of a block of flats beside a house, under the clock.
    {
        p.save();
        p.setPen(QPen(QColor(34, 52, 226), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        const int gx = 448, gy = 318;
        p.drawLine(gx - 14, gy, gx + 170, gy);
        p.drawRect(QRectF(gx, gy - 128, 64, 128));
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawRect(QRectF(gx + 9 + c * 18, gy - 118 + r * 19, 9, 10));
        QPolygonF house;
        house << QPointF(gx + 80, gy) << QPointF(gx + 80, gy - 52) << QPointF(gx + 118, gy - 88)
              << QPointF(gx + 156, gy - 52) << QPointF(gx + 156, gy);
        p.drawPolyline(house);
        p.drawLine(QPointF(gx + 74, gy - 46), QPointF(gx + 118, gy - 94));
        p.drawLine(QPointF(gx + 118, gy - 94), QPointF(gx + 162, gy - 46));
        p.drawRect(QRectF(gx + 108, gy - 34, 20, 34));
        p.drawRect(QRectF(gx + 88, gy - 46, 14, 14));
        p.drawRect(QRectF(gx + 134, gy - 46, 14, 14));
        p.restore();
    }

    headingAt(gridZone.x() + 8, gridZone.y() - 13, "TELEFON REHBERİ");
    zone(gridZone.adjusted(-2, -2, 2, 2));

    // Corner labels: the glyphs are in the picture, the labels lie over them.
    auto cornerTile = [&](const QRect &r, Glyph g) {
        p.setPen(QPen(QColor(60, 90, 240), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        drawGlyph(p, g, QRectF(r).adjusted(5, 3, -5, -3), kLime, 2);
    };
    cornerTile(minimiseSpot, Glyph::Minimise);
    cornerTile(exitSpot, Glyph::Power);
    p.setFont(textFont(10));
    p.setPen(QColor(96, 118, 250));
    p.drawText(QRectF(0, minimiseSpot.y(), W, minimiseSpot.height()), Qt::AlignCenter,
               u8("Evlora · Talvoren Bilgisayar"));
    return img;
}

QImage paintAbout(const ScreenArt &s)
{
    const int W = s.size.width(), H = s.size.height();
    QImage img(s.size, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient g(0, 0, 0, H);
    g.setColorAt(0, QColor(6, 12, 104));
    g.setColorAt(0.55, QColor(0, 0, 176));
    g.setColorAt(0.86, QColor(34, 70, 236));
    g.setColorAt(1, QColor(34, 70, 236));
    p.fillRect(img.rect(), g);

    // Header with the maker's name.
    const int band = 48;
    QLinearGradient hb(0, 0, 0, band);
    hb.setColorAt(0, QColor(0, 0, 84));
    hb.setColorAt(1, QColor(0, 0, 124));
    p.fillRect(0, 0, W, band, hb);
    drawEmblem(p, QRectF(14, 12, 24, 24), QColor(255, 255, 255), kAccent);
    p.setFont(textFont(20, QFont::Bold));
    drawShadowedText(p, QRectF(48, 0, 400, band), Qt::AlignLeft | Qt::AlignVCenter, u8(s.title),
                     QColor(255, 255, 255));
    p.fillRect(0, band - 2, W, 2, kAccent);

    // Product name and version.
    {
        const QFont big = heavyFont(58);
        const qreal nameW = QFontMetricsF(big).horizontalAdvance(QStringLiteral("Evlora"));
        const qreal left = (W - (62 + 14 + nameW)) / 2;
        drawEmblem(p, QRectF(left, 80, 62, 62), QColor(255, 255, 255), kAccent);
        p.setFont(big);
        drawShadowedText(p, QRectF(left + 76, 66, nameW + 10, 90), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Evlora"), QColor(255, 255, 255), 120);
    }
    p.setFont(textFont(18, QFont::Bold));
    p.setPen(QColor(196, 208, 255));
    p.drawText(QRectF(0, 160, W, 26), Qt::AlignCenter, u8("Emlak Ofisi Yönetim Programı"));
    p.setFont(textFont(14));
    p.setPen(kAccent);
    p.drawText(QRectF(0, 188, W, 20), Qt::AlignCenter, u8("Sürüm " EVLORA_VERSION));

    // What the program does, in two short columns.
    const char *features[] = {"Kiralık ve satılık daireler", "Kiralık ve satılık emlaklar",
                              "Arsa ve arazi kayıtları",     "Müşteri talepleri ve karşılaştırma",
                              "Telefon defteri",             "Kayıt kartları ve liste raporları"};
    p.setFont(textFont(13));
    for (int i = 0; i < 6; ++i) {
        const qreal x = i % 2 == 0 ? 120 : 340;
        const qreal y = 232 + (i / 2) * 26;
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(x, y + 9), 3, 3);
        p.setPen(QColor(214, 222, 255));
        p.drawText(QRectF(x + 10, y, 210, 18), Qt::AlignLeft | Qt::AlignVCenter, u8(features[i]));
    }

    // The link: the program lays an invisible click area over this button.
    {
        const QRectF r = QRectF(about::linkArea).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setPen(QPen(kAccent, 1.5));
        p.setBrush(QColor(255, 255, 255, 28));
        p.drawRoundedRect(r, 8, 8);
        drawGlyph(p, Glyph::Globe, QRectF(r.x() + 12, r.y() + 8, 20, 20), kAccent, 1.6);
        p.setFont(textFont(14, QFont::Bold));
        p.setPen(QColor(255, 255, 255));
        p.drawText(r.adjusted(30, 0, -6, 0), Qt::AlignCenter, u8("Web Sayfamızı Ziyaret Edin"));
    }

    drawSkyline(p, QRect(0, H - 78, W, 58), QColor(0, 0, 92), seedOf("AboutBox"), 0.0, 0.0,
                QColor(255, 210, 110, 210));
    p.fillRect(0, H - 22, W, 22, QColor(0, 0, 92));
    p.fillRect(0, H - 22, W, 1, kAccent);
    p.setFont(textFont(11));
    p.setPen(QColor(150, 166, 240));
    p.drawText(QRectF(14, H - 22, W - 28, 22), Qt::AlignLeft | Qt::AlignVCenter,
               u8("© Talvoren Bilgisayar. Tüm hakları saklıdır."));
    p.drawText(QRectF(14, H - 22, W - 28, 22), Qt::AlignRight | Qt::AlignVCenter,
               u8("Kapatmak için çift tıklayın"));
    return img;
}

QImage paintPhoneBook(const ScreenArt &s)
{
    using namespace phonebook;
    const int W = s.size.width(), H = s.size.height();
    QImage img(s.size, QImage::Format_RGB32);
    img.fill(kPhoneBody);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The window is cut to this outline (corners: quarter ellipses of 100 x 100).
    const QRectF outline = QRectF(0, 0, W, H).adjusted(1.5, 1.5, -1.5, -1.5);
    QPainterPath shape;
    shape.addRoundedRect(outline, 50, 50);

    // Header strip inside the outline.
    p.save();
    p.setClipPath(shape);
    QLinearGradient hg(0, 0, 0, 60);
    hg.setColorAt(0, QColor(0, 0, 96));
    hg.setColorAt(1, QColor(16, 34, 190));
    p.fillRect(0, 0, W, 60, hg);
    drawSkyline(p, QRect(300, 18, 190, 40), QColor(0, 0, 90), seedOf("PhoneBook"), 0.4, 0.3,
                QColor(255, 210, 110, 190));
    p.fillRect(0, 60, W, 2, kAccent);
    p.restore();

    drawEmblem(p, QRectF(titleSpot.x() - 2, titleSpot.y() + 6, 22, 22), QColor(255, 255, 255), kAccent);
    p.setFont(heavyFont(20));
    drawShadowedText(p, QRectF(titleSpot).adjusted(28, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, u8(s.title),
                     QColor(255, 255, 255), 110);

    // Corner icons; the program lays invisible click areas over them.
    auto tile = [&](const QRect &r, Glyph g) {
        QLinearGradient tg(r.topLeft(), r.bottomLeft());
        tg.setColorAt(0, QColor(40, 70, 230));
        tg.setColorAt(1, QColor(16, 36, 170));
        p.setPen(QPen(QColor(130, 160, 255), 1));
        p.setBrush(tg);
        p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        drawGlyph(p, g, QRectF(r).adjusted(4, 4, -4, -4), QColor(255, 255, 255), 2);
    };
    tile(minimiseSpot, Glyph::Minimise);
    tile(closeSpot, Glyph::Close);

    // Menu column, grid frame, marquee strip.
    const QColor line(48, 70, 236);
    p.setPen(QPen(line, 1));
    p.setBrush(Qt::NoBrush);
    const QRect menuZone(menuItemLeft - 8, menuItemTop - 8, menuItemSize.width() + 16,
                         5 * menuItemPitch + menuItemSize.height() + 16);
    p.drawRoundedRect(QRectF(menuZone).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    p.drawRoundedRect(QRectF(gridZone).adjusted(-1.5, -1.5, 1.5, 1.5), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 110));
    p.drawRoundedRect(QRectF(marqueeZone), 5, 5);
    p.setPen(QPen(line, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(marqueeZone).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);

    // Outline ring.
    p.setPen(QPen(QColor(96, 124, 255), 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.setPen(QPen(kAccent, 1));
    QPainterPath inner;
    inner.addRoundedRect(outline.adjusted(4, 4, -4, -4), 46, 46);
    p.drawPath(inner);
    return img;
}

// ---------------------------------------------------------------- pieces

QImage paintPieceImpl(const PieceArt &a)
{
    const QSize sz = a.size;
    QImage img(sz, QImage::Format_RGB32);
    QPainter p;
    const QRectF full(0, 0, sz.width(), sz.height());
    const QRectF inset = full.adjusted(0.5, 0.5, -0.5, -0.5);

    switch (a.kind) {
    case Piece::MenuPressed: {
        img.fill(kWindowBlue);
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 0, sz.height());
        g.setColorAt(0, QColor(40, 78, 244));
        g.setColorAt(1, QColor(12, 32, 196));
        p.setPen(QPen(QColor(116, 146, 255), 1));
        p.setBrush(g);
        p.drawRoundedRect(inset, 4, 4);
        p.fillRect(QRectF(2, sz.height() - 3, sz.width() - 4, 1), QColor(0, 0, 150));
        break;
    }
    case Piece::Panel: {
        img.fill(QColor(0, 0, 132));
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        QLinearGradient g(0, 0, 0, sz.height());
        g.setColorAt(0, QColor(14, 28, 176));
        g.setColorAt(1, QColor(0, 0, 136));
        p.fillRect(full, g);
        QLinearGradient tg(0, 0, 0, panel::titleHeight);
        tg.setColorAt(0, QColor(0, 0, 100));
        tg.setColorAt(1, QColor(8, 20, 150));
        p.fillRect(QRectF(0, 0, sz.width(), panel::titleHeight), tg);
        drawSkyline(p, QRect(96, 6, sz.width() - 98, panel::titleHeight - 8), QColor(26, 44, 190),
                    seedOf(a.file), 0.6, 0.0);
        const QString title = u8(a.text);
        QFont f = heavyFont(13);
        const qreal avail = sz.width() - 16;
        if (QFontMetricsF(f).horizontalAdvance(title) <= avail) {
            p.setFont(f);
            drawShadowedText(p, QRectF(8, 0, avail, panel::titleHeight - 3), Qt::AlignLeft | Qt::AlignVCenter,
                             title, QColor(255, 255, 255), 120);
        } else {
            // Long titles go on two lines rather than shrinking out of legibility.
            const QString first = title.section(QLatin1Char(' '), 0, 0);
            const QString rest = title.section(QLatin1Char(' '), 1);
            p.setFont(fitFont(heavyFont(12), rest.size() > first.size() ? rest : first, avail, 9));
            drawShadowedText(p, QRectF(8, 2, avail, 15), Qt::AlignLeft | Qt::AlignVCenter, first,
                             QColor(255, 255, 255), 120);
            drawShadowedText(p, QRectF(8, 16, avail, 15), Qt::AlignLeft | Qt::AlignVCenter, rest,
                             QColor(255, 255, 255), 120);
        }
        drawSkyline(p, QRect(1, sz.height() - 13, sz.width() - 2, 12), QColor(22, 36, 168),
                    seedOf(a.file) ^ 0x77, 0.2, 0.2);
        p.fillRect(QRectF(0, panel::titleHeight - 2, sz.width(), 2), kAccent);
        p.setPen(QPen(QColor(100, 128, 255), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(inset);
        break;
    }
    case Piece::HoverBar: {
        img.fill(QColor(24, 50, 208));
        p.begin(&img);
        QLinearGradient g(0, 0, 0, sz.height());
        g.setColorAt(0, QColor(44, 82, 240));
        g.setColorAt(1, QColor(20, 44, 200));
        p.fillRect(full, g);
        p.fillRect(QRectF(0, 0, sz.width(), 1), QColor(126, 156, 255));
        p.fillRect(QRectF(0, sz.height() - 1, sz.width(), 1), QColor(8, 20, 150));
        p.fillRect(QRectF(0, 0, 3, sz.height()), kAccent);
        break;
    }
    case Piece::MainCornerPressed: {
        img.fill(kWindowBlue);
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(150, 176, 255), 1));
        p.setBrush(QColor(30, 60, 226));
        p.drawRoundedRect(inset, 4, 4);
        const Glyph g = glyphNamed(a.text) == Glyph::Close ? Glyph::Power : Glyph::Minimise;
        drawGlyph(p, g, full.adjusted(5, 3, -5, -3).translated(1, 1), kLime, 2);
        break;
    }
    case Piece::Icon: {
        img.fill(QColor(226, 232, 241));
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 0, sz.height());
        g.setColorAt(0, a.pressed ? QColor(196, 206, 222) : QColor(252, 253, 255));
        g.setColorAt(1, a.pressed ? QColor(216, 224, 236) : QColor(222, 229, 239));
        p.fillRect(full, g);
        p.setPen(QPen(a.pressed ? QColor(70, 86, 112) : QColor(118, 134, 158), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(inset);
        const Glyph gl = glyphNamed(a.text);
        const QColor ink = gl == Glyph::Close ? QColor(176, 36, 36) : QColor(40, 52, 72);
        drawGlyph(p, gl, full.adjusted(3, 3, -3, -3).translated(a.pressed ? 1 : 0, a.pressed ? 1 : 0), ink,
                  sz.width() >= 18 ? 2 : 1.6);
        break;
    }
    case Piece::LabelPressed: {
        img.fill(kFooter);
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 0, sz.height());
        g.setColorAt(0, QColor(190, 206, 230));
        g.setColorAt(1, QColor(218, 228, 242));
        p.setPen(QPen(QColor(100, 124, 160), 1));
        p.setBrush(g);
        p.drawRoundedRect(inset, 5, 5);
        p.setPen(QPen(QColor(164, 182, 208), 1));
        p.drawLine(QPointF(4, 1.5), QPointF(sz.width() - 4, 1.5));
        break;
    }
    case Piece::OwnerPanel: {
        img.fill(kBody);
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        drawCard(p, QRect(0, 0, sz.width(), sz.height()));
        // Octagonal stop sign with a white rim.
        const QPointF c(sz.width() / 2.0, 74);
        auto octagon = [&](qreal r) {
            QPolygonF poly;
            for (int i = 0; i < 8; ++i) {
                const qreal ang = qDegreesToRadians(22.5 + 45.0 * i);
                poly << c + QPointF(r * qCos(ang), r * qSin(ang));
            }
            return poly;
        };
        p.setPen(QPen(QColor(150, 20, 24), 1));
        p.setBrush(QColor(255, 255, 255));
        p.drawPolygon(octagon(54));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(204, 30, 36));
        p.drawPolygon(octagon(48));
        p.setFont(heavyFont(28));
        p.setPen(QColor(255, 255, 255));
        p.drawText(QRectF(c.x() - 50, c.y() - 22, 100, 44), Qt::AlignCenter, QStringLiteral("DUR"));

        const QString line1 = u8(a.text);
        const QString line2 = u8("Görmek için «Emlak Sahibini Göster»");
        p.setFont(fitFont(textFont(14, QFont::Bold), line1, sz.width() - 16, 10));
        p.setPen(kInk);
        p.drawText(QRectF(0, 140, sz.width(), 20), Qt::AlignCenter, line1);
        p.setFont(fitFont(textFont(11), line2, sz.width() - 16, 8));
        p.setPen(kInkSoft);
        p.drawText(QRectF(0, 162, sz.width(), 16), Qt::AlignCenter, line2);
        break;
    }
    case Piece::CaptionM2: {
        img.fill(kBody);
        p.begin(&img);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(textFont(13, QFont::Bold));
        p.setPen(kInk);
        p.drawText(full.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, u8(a.text));
        break;
    }
    case Piece::PhoneHighlight: {
        img.fill(kPhoneBody);
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 0, sz.height());
        g.setColorAt(0, QColor(44, 80, 238));
        g.setColorAt(1, QColor(18, 42, 196));
        p.setPen(QPen(QColor(120, 150, 255), 1));
        p.setBrush(g);
        p.drawRoundedRect(inset, 6, 6);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(4, 7, 3, sz.height() - 14), 1.5, 1.5);
        break;
    }
    case Piece::PhoneButton: {
        img.fill(kBody);
        p.begin(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        QLinearGradient g(0, 0, 0, sz.height());
        g.setColorAt(0, QColor(255, 255, 255));
        g.setColorAt(1, QColor(226, 232, 242));
        p.setPen(QPen(kFrameBorder, 1));
        p.setBrush(g);
        p.drawRoundedRect(inset, 6, 6);
        drawGlyph(p, glyphNamed(a.text), QRectF(8, 5, 18, 18), themeColours(Theme::Phone).top, 2);
        p.setFont(textFont(13, QFont::Bold));
        p.setPen(kInk);
        p.drawText(full.adjusted(28, 0, -6, 0), Qt::AlignCenter, u8(a.text));
        break;
    }
    }
    return img;
}

} // namespace

// ---------------------------------------------------------------- layout contract

int titleBandHeight(const QSize &size) { return size.height() >= 380 ? 44 : 36; }

int footerHeight(const QSize &size) { return size.height() >= 380 ? 44 : 38; }

QList<Spot> footerFrames(const ScreenArt &s)
{
    const QStringList captions = footerCaptions(s);
    QList<Spot> out;
    if (captions.isEmpty())
        return out;
    const QFont f = textFont(13, QFont::Bold);
    const int gap = 14;
    QList<int> widths;
    int total = 0;
    for (const QString &c : captions) {
        const int w = QFontMetricsF(f).horizontalAdvance(c) > 74 ? 170 : 90;
        widths << w;
        total += w;
    }
    total += gap * (captions.size() - 1);
    int x = (s.size.width() - total) / 2;
    const int fh = footerHeight(s.size);
    const int y = s.size.height() - fh + (fh - 24) / 2;
    for (int i = 0; i < captions.size(); ++i) {
        out << Spot{captions.at(i), QRect(x, y, widths.at(i), 24)};
        x += widths.at(i) + gap;
    }
    return out;
}

QList<Spot> cornerIcons(const ScreenArt &s)
{
    QList<Spot> out;
    const int W = s.size.width();
    const int y = (titleBandHeight(s.size) - 2 - 18) / 2;
    if (s.corner == Corner::MinimiseAndExit)
        out << Spot{QStringLiteral("minimise icon"), QRect(W - 48, y, 18, 18)};
    if (s.corner != Corner::None)
        out << Spot{QStringLiteral("exit icon"), QRect(W - 26, y, 18, 18)};
    return out;
}

QList<Spot> spotsOf(const ScreenArt &s)
{
    QList<Spot> out;
    switch (s.layout) {
    case Layout::Splash:
        out << Spot{QStringLiteral("clip area"), splash::clipArea};
        break;
    case Layout::About:
        out << Spot{QStringLiteral("web page link"), about::linkArea};
        break;
    case Layout::Main:
        for (int i = 0; i < 8; ++i)
            out << Spot{QStringLiteral("menu item %1").arg(i + 1),
                        QRect(QPoint(mainwin::menuItemLeft, mainwin::menuItemTop + i * mainwin::menuItemPitch),
                              mainwin::menuItemSize)};
        out << Spot{QStringLiteral("panel"), mainwin::panelSpot}
            << Spot{QStringLiteral("date label"),
                    QRect(mainwin::clockZone.x() + 12, mainwin::clockZone.y() + 10, 150, 20)}
            << Spot{QStringLiteral("time label"),
                    QRect(mainwin::clockZone.x() + 12, mainwin::clockZone.y() + 36, 150, 20)}
            << Spot{QStringLiteral("contact grid"), mainwin::gridZone}
            << Spot{QStringLiteral("Simge label"), mainwin::minimiseSpot}
            << Spot{QStringLiteral("Çıkış label"), mainwin::exitSpot};
        break;
    case Layout::PhoneBook:
        for (int i = 0; i < 6; ++i)
            out << Spot{QStringLiteral("menu item %1").arg(i + 1),
                        QRect(QPoint(phonebook::menuItemLeft, phonebook::menuItemTop + i * phonebook::menuItemPitch),
                              phonebook::menuItemSize)};
        out << Spot{QStringLiteral("minimise area"), phonebook::minimiseSpot}
            << Spot{QStringLiteral("close area"), phonebook::closeSpot}
            << Spot{QStringLiteral("grid / shut-down panel"), phonebook::gridZone}
            << Spot{QStringLiteral("scrolling line"), phonebook::marqueeZone}
            << Spot{QStringLiteral("status label"), phonebook::statusZone};
        break;
    case Layout::Standard: {
        const int band = titleBandHeight(s.size);
        out << Spot{QStringLiteral("title band"), QRect(0, 0, s.size.width(), band)};
        out << cornerIcons(s);
        for (const Box &b : s.boxes)
            out << Spot{b.title[0] ? QStringLiteral("box \"%1\"").arg(u8(b.title)) : QStringLiteral("box"), b.rect};
        for (const QRect &r : s.frames)
            out << Spot{QStringLiteral("button frame"), r};
        if (!footerCaptions(s).isEmpty()) {
            const int fh = footerHeight(s.size);
            out << Spot{QStringLiteral("footer"), QRect(0, s.size.height() - fh, s.size.width(), fh)};
        }
        for (const Spot &f : footerFrames(s))
            out << Spot{QStringLiteral("frame \"%1\"").arg(f.name), f.rect};
        break;
    }
    }
    return out;
}

QImage paintScreen(const ScreenArt &s)
{
    switch (s.layout) {
    case Layout::Splash: return paintSplash(s);
    case Layout::Main: return paintMain(s);
    case Layout::About: return paintAbout(s);
    case Layout::PhoneBook: return paintPhoneBook(s);
    case Layout::Standard: break;
    }
    return paintStandard(s);
}

QImage paintPiece(const PieceArt &piece) { return paintPieceImpl(piece); }

QImage paintIcon(int size)
{
    // The main window's header in a rounded tile: its blues, the white
    // emblem with the amber door, the amber hairline below it.
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF tile(s * 0.03, s * 0.03, s * 0.94, s * 0.94);
    QLinearGradient sky(tile.topLeft(), tile.bottomLeft());
    sky.setColorAt(0, QColor(24, 48, 220));
    sky.setColorAt(1, QColor(0, 0, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(tile, s * 0.18, s * 0.18);
    // Small sizes keep the emblem's lines whole: it fills more of the tile.
    const qreal margin = size <= 24 ? 0.14 : 0.2;
    drawEmblem(p, QRectF(s * margin, s * (margin - 0.02), s * (1 - 2 * margin), s * (1 - 2 * margin)),
               QColor(255, 255, 255), kAccent);
    p.fillRect(QRectF(tile.left() + s * 0.16, s * 0.84, tile.width() - s * 0.32, qMax(1.0, s * 0.035)), kAccent);
    return img;
}

QString fontReport()
{
    auto describe = [](const QFont &f) {
        const QFontInfo fi(f);
        return QStringLiteral("%1 (weight %2)").arg(fi.family()).arg(int(fi.weight()));
    };
    return QStringLiteral("text font: %1; heavy font: %2")
        .arg(describe(textFont(13, QFont::Bold)), describe(heavyFont(13)));
}

} // namespace art
