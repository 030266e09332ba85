// makeclip: draws the splash animation — a little house on a hill whose
// windows light up one after another while the chimney smokes — and writes
// it as an RLE-8 AVI clip with one shared 256-colour palette.
//
//   QT_QPA_PLATFORM=offscreen makeclip [output.avi]   (default ani34.avi)

#include "aviwriter.h"
#include "rle8.h"

#include <QColor>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int kWidth = 80;
constexpr int kHeight = 60;
constexpr int kFrames = 16;
constexpr int kCycle = 14;            // the splash loops frames 0..13
constexpr int kMicroSecPerFrame = 125000;

const QColor kSky(53, 88, 255);       // the splash background, so the clip blends in
const QColor kHill(72, 176, 92);
const QColor kHillDark(48, 136, 70);
const QColor kWall(252, 238, 205);
const QColor kWallShade(226, 208, 172);
const QColor kOutline(92, 54, 36);
const QColor kRoof(204, 64, 50);
const QColor kRoofDark(150, 40, 34);
const QColor kBrick(168, 82, 60);
const QColor kGlassDark(38, 50, 104);
const QColor kGlassDim(214, 150, 60);
const QColor kGlassLit(255, 214, 84);
const QColor kGlassHot(255, 246, 176);
const QColor kFrame(244, 232, 210);
const QColor kDoor(140, 84, 48);
const QColor kSmoke(236, 240, 252);
const QColor kLeaf(40, 140, 70);
const QColor kLeafLight(84, 186, 96);
const QColor kTrunk(110, 70, 40);
const QColor kSign(220, 48, 48);

QColor mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// 0 dark, 1 warming up, 2 fully lit: each light comes on over two frames.
int lightLevel(int frame, int onAt)
{
    const int f = frame >= kCycle ? kCycle - 1 : frame;
    return f > onAt ? 2 : f == onAt ? 1 : 0;
}

void drawWindow(QPainter& p, const QRect& r, int level)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawRect(r.adjusted(-1, -1, 1, 1));
    p.setBrush(level == 0 ? kGlassDark : level == 1 ? kGlassDim : kGlassLit);
    p.drawRect(r);
    if (level == 2) {
        p.setBrush(kGlassHot);
        p.drawRect(r.adjusted(2, 2, -2, -2));
    } else if (level == 0) {
        // a glint on the dark pane
        p.setBrush(mix(kGlassDark, kFrame, 0.35));
        p.drawRect(QRect(r.left() + 1, r.top() + 1, 2, 1));
    }
    p.setBrush(kFrame);
    p.drawRect(QRect(r.center().x(), r.top(), 1, r.height()));
    p.drawRect(QRect(r.left(), r.center().y(), r.width(), 1));
    // sill
    p.setBrush(kWallShade);
    p.drawRect(QRect(r.left() - 2, r.bottom() + 2, r.width() + 4, 1));
}

void drawSmoke(QPainter& p, int frame)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    for (int puff = 0; puff < 3; ++puff) {
        const double t = std::fmod(frame + puff * kCycle / 3.0, double(kCycle)) / kCycle;
        const double x = 53.5 + t * 11 + std::sin(t * 6.28318) * 1.5;
        const double y = 10.5 - t * 8;
        const double radius = 1.4 + t * 2.4;
        p.setBrush(mix(kSmoke, kSky, std::pow(t, 1.2)));
        p.drawEllipse(QPointF(x, y), radius, radius * 0.85);
    }
}

QImage drawFrame(int frame)
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(kSky);
    QPainter p(&img);
    p.setPen(Qt::NoPen);

    drawSmoke(p, frame);

    // Hill, with a pool of light from the door once the porch lamp is on.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(kHillDark);
    p.drawEllipse(QPointF(40, 74), 45, 20);
    p.setBrush(kHill);
    p.drawEllipse(QPointF(40, 75), 43, 19);
    const int porch = lightLevel(frame, 1);
    if (porch > 0) {
        QPainterPath pool;
        pool.moveTo(36, 55);
        pool.lineTo(44, 55);
        pool.lineTo(48, 60);
        pool.lineTo(32, 60);
        pool.closeSubpath();
        p.setBrush(mix(kHill, kGlassLit, porch == 2 ? 0.55 : 0.3));
        p.drawPath(pool);
    }

    // Tree on the left.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(kTrunk);
    p.drawRect(QRect(9, 44, 2, 10));
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(kLeaf);
    p.drawEllipse(QPointF(10, 39), 6, 8);
    p.setBrush(kLeafLight);
    p.drawEllipse(QPointF(8.5, 36.5), 3, 4);

    // "For sale" board on the right.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(kTrunk);
    p.drawRect(QRect(71, 42, 1, 12));
    p.setBrush(kOutline);
    p.drawRect(QRect(65, 36, 13, 8));
    p.setBrush(kSign);
    p.drawRect(QRect(66, 37, 11, 6));
    p.setBrush(kFrame);
    p.drawRect(QRect(68, 39, 7, 1));
    p.drawRect(QRect(68, 41, 5, 1));

    // Chimney, then the walls and the roof over it.
    p.setBrush(kOutline);
    p.drawRect(QRect(49, 12, 9, 3));
    p.drawRect(QRect(50, 14, 7, 12));
    p.setBrush(kBrick);
    p.drawRect(QRect(51, 15, 5, 11));
    p.drawRect(QRect(50, 13, 7, 1));

    p.setBrush(kOutline);
    p.drawRect(QRect(19, 29, 43, 27));
    p.setBrush(kWall);
    p.drawRect(QRect(20, 30, 41, 25));
    p.setBrush(kWallShade);
    p.drawRect(QRect(20, 52, 41, 3));

    p.setRenderHint(QPainter::Antialiasing, true);
    QPolygonF roof{QPointF(13, 32), QPointF(40.5, 8.5), QPointF(68, 32)};
    p.setBrush(kOutline);
    p.drawPolygon(roof);
    p.setBrush(kRoof);
    p.drawPolygon(QPolygonF{QPointF(16, 30.5), QPointF(40.5, 10.5), QPointF(65, 30.5)});
    p.setBrush(kRoofDark);
    p.drawPolygon(QPolygonF{QPointF(16, 30.5), QPointF(65, 30.5), QPointF(64, 32), QPointF(17, 32)});

    // Round attic window in the gable.
    const int attic = lightLevel(frame, 11);
    p.setBrush(kOutline);
    p.drawEllipse(QPointF(40.5, 22.5), 4.5, 4.5);
    p.setBrush(attic == 0 ? kGlassDark : attic == 1 ? kGlassDim : kGlassLit);
    p.drawEllipse(QPointF(40.5, 22.5), 3.3, 3.3);
    if (attic == 2) {
        p.setBrush(kGlassHot);
        p.drawEllipse(QPointF(40.5, 22.5), 1.6, 1.6);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(kFrame);
    p.drawRect(QRect(40, 19, 1, 7));
    p.drawRect(QRect(37, 22, 7, 1));

    // Someone comes home: the porch lamp, then room after room up to the attic.
    drawWindow(p, QRect(24, 45, 9, 7), lightLevel(frame, 3));
    drawWindow(p, QRect(48, 45, 9, 7), lightLevel(frame, 5));
    drawWindow(p, QRect(24, 34, 9, 7), lightLevel(frame, 7));
    drawWindow(p, QRect(48, 34, 9, 7), lightLevel(frame, 9));

    // Door with its lamp.
    p.setBrush(kOutline);
    p.drawRect(QRect(35, 41, 11, 15));
    p.setBrush(kDoor);
    p.drawRect(QRect(36, 42, 9, 13));
    p.setBrush(mix(kDoor, kOutline, 0.5));
    p.drawRect(QRect(37, 43, 7, 5));
    p.drawRect(QRect(37, 49, 7, 5));
    p.setBrush(kGlassLit);
    p.drawRect(QRect(42, 48, 1, 2)); // handle
    p.setRenderHint(QPainter::Antialiasing, true);
    if (porch > 0) {
        p.setBrush(mix(kWall, kGlassLit, porch == 2 ? 0.6 : 0.3));
        p.drawEllipse(QPointF(40.5, 38.5), 3.5, 2.5);
    }
    p.setBrush(porch == 0 ? kGlassDark : porch == 1 ? kGlassDim : kGlassHot);
    p.drawEllipse(QPointF(40.5, 38.5), 1.5, 1.5);
    p.end();
    return img;
}

// One palette for the whole clip: the sky first, then the most used colours;
// the rare anti-aliasing blends beyond 256 take their nearest neighbour.
QList<QRgb> buildPalette(const QList<QImage>& frames)
{
    QHash<QRgb, int> count;
    for (const QImage& img : frames)
        for (int y = 0; y < img.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0; x < img.width(); ++x)
                ++count[line[x] | 0xff000000u];
        }
    QList<std::pair<int, QRgb>> byUse;
    for (auto it = count.cbegin(); it != count.cend(); ++it)
        byUse.append({it.value(), it.key()});
    std::sort(byUse.begin(), byUse.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    QList<QRgb> palette{kSky.rgb()};
    for (const auto& [n, c] : byUse) {
        if (palette.size() == 256)
            break;
        if (c != kSky.rgb())
            palette.append(c);
    }
    return palette;
}

QByteArray toIndices(const QImage& img, const QList<QRgb>& palette, QHash<QRgb, uchar>& nearest)
{
    QByteArray out(qsizetype(img.width()) * img.height(), '\0');
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = line[x] | 0xff000000u;
            auto it = nearest.constFind(c);
            if (it == nearest.cend()) {
                int best = 0, bestDist = INT_MAX;
                for (int i = 0; i < palette.size(); ++i) {
                    const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                              db = qBlue(c) - qBlue(palette[i]);
                    const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                    if (d < bestDist) {
                        bestDist = d;
                        best = i;
                    }
                }
                it = nearest.insert(c, uchar(best));
            }
            out[qsizetype(y) * img.width() + x] = char(*it);
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() > 2 || (args.size() == 2 && args[1].startsWith(QLatin1Char('-')))) {
        err << "usage: makeclip [output.avi]\n";
        return 2;
    }
    const QString out = args.size() == 2 ? args[1] : QStringLiteral("ani34.avi");

    QList<QImage> images;
    for (int f = 0; f < kFrames; ++f)
        images.append(drawFrame(f));
    const QList<QRgb> palette = buildPalette(images);

    QHash<QRgb, uchar> nearest;
    QList<RleFrame> frames;
    QByteArray previous;
    for (const QImage& img : images) {
        const QByteArray indices = toIndices(img, palette, nearest);
        const bool key = previous.isEmpty();
        frames.append({encodeRle8(indices, kWidth, kHeight, key ? nullptr : &previous), key});
        previous = indices;
    }

    QString error;
    if (!writeRle8Avi(out, kWidth, kHeight, palette, frames, kMicroSecPerFrame, &error)) {
        err << "makeclip: cannot write " << out << ": " << error << "\n";
        return 1;
    }
    err << "makeclip: wrote " << out << " (" << kFrames << " frames, " << kWidth << "x" << kHeight
        << ", " << palette.size() << " colours)\n";
    return 0;
}
