// makeart — paints the program's artwork and writes it as JPEG files plus the
// resource file that lists them.
//
//   makeart [OUTPUT_DIR] [--sheet FILE.png] [--layout]
//   makeart --icons DIR
//
// OUTPUT_DIR defaults to assets/art. --sheet also writes a contact sheet of
// every picture; --layout prints the rectangles the screens line up with.
// --icons writes the program's icon in the usual sizes as DIR/NxN/evlora.png
// (the menu entry's icon) and nothing else.

#include "artkit.h"
#include "arttable.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace {

struct Made {
    QString file;
    QImage image;
    QString role;
};

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

bool writeJpeg(const QImage &img, const QString &path)
{
    QImageWriter w(path, "jpeg");
    w.setQuality(90);
    w.setOptimizedWrite(true);
    if (!w.write(img)) {
        err() << "makeart: cannot write " << path << ": " << w.errorString() << Qt::endl;
        return false;
    }
    return true;
}

bool writeQrc(const QList<Made> &made, const QString &path)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        err() << "makeart: cannot write " << path << ": " << f.errorString() << Qt::endl;
        return false;
    }
    QTextStream ts(&f);
    ts << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/art\">\n";
    for (const Made &m : made)
        ts << "    <file>" << m.file << "</file>\n";
    ts << "  </qresource>\n</RCC>\n";
    ts.flush();
    if (!f.commit()) {
        err() << "makeart: cannot write " << path << ": " << f.errorString() << Qt::endl;
        return false;
    }
    return true;
}

// All pictures on one page: backgrounds at half size, small pieces enlarged,
// each with its file name and size beneath.
QImage contactSheet(const QList<Made> &made)
{
    const int sheetWidth = 1680, margin = 16, gap = 14, captionH = 16;
    struct Cell {
        const Made *m;
        QSize shown;
    };
    QList<Cell> cells;
    for (const Made &m : made) {
        const QSize s = m.image.size();
        const qreal scale = s.width() >= 250 ? 0.5 : (s.width() <= 40 ? 3.0 : 1.0);
        cells << Cell{&m, (QSizeF(s) * scale).toSize()};
    }
    // Lay out in rows, wrapping at the sheet width.
    QList<QPoint> pos;
    int x = margin, y = margin, rowH = 0;
    bool bigRow = true;
    for (const Cell &c : cells) {
        const bool big = c.m->image.width() >= 250;
        if (x + c.shown.width() > sheetWidth - margin || (big != bigRow && x > margin)) {
            x = margin;
            y += rowH + captionH + gap;
            rowH = 0;
        }
        bigRow = big;
        pos << QPoint(x, y);
        x += qMax(c.shown.width(), 120) + gap;
        rowH = qMax(rowH, c.shown.height());
    }
    const int height = y + rowH + captionH + margin;
    QImage sheet(sheetWidth, height, QImage::Format_RGB32);
    sheet.fill(QColor(90, 96, 106));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont f;
    f.setPixelSize(11);
    p.setFont(f);
    for (int i = 0; i < cells.size(); ++i) {
        const Cell &c = cells.at(i);
        const QRect r(pos.at(i), c.shown);
        p.drawImage(r, c.m->image);
        p.setPen(QColor(235, 238, 242));
        p.drawText(QRect(r.x(), r.bottom() + 2, qMax(r.width(), 120) + 60, captionH), Qt::AlignLeft,
                   QStringLiteral("%1  %2×%3").arg(c.m->file).arg(c.m->image.width()).arg(c.m->image.height()));
    }
    return sheet;
}

int writeIcons(const QString &folder)
{
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QDir(folder).filePath(QStringLiteral("%1x%1").arg(size));
        const QString path = QDir(dir).filePath(QStringLiteral("evlora.png"));
        if (!QDir().mkpath(dir) || !art::paintIcon(size).save(path, "png")) {
            err() << "makeart: cannot write " << path << Qt::endl;
            return 1;
        }
        out() << path << "\n";
    }
    out().flush();
    return 0;
}

void printLayout()
{
    for (const ScreenArt &s : screenTable()) {
        out() << backgroundFileName(s.objectName) << "  " << s.size.width() << "x" << s.size.height() << "  "
              << s.objectName << "\n";
        for (const art::Spot &spot : art::spotsOf(s))
            out() << "    " << spot.name << ": x " << spot.rect.x() << ", y " << spot.rect.y() << ", "
                  << spot.rect.width() << " x " << spot.rect.height() << "\n";
    }
    out().flush();
}

} // namespace

int main(int argc, char **argv)
{
    // Painting needs fonts but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString outDir = QStringLiteral("assets/art");
    QString sheetPath;
    QString iconDir;
    bool layout = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--sheet") && i + 1 < args.size()) {
            sheetPath = args.at(++i);
        } else if (a == QLatin1String("--icons") && i + 1 < args.size()) {
            iconDir = args.at(++i);
        } else if (a == QLatin1String("--layout")) {
            layout = true;
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            out() << "usage: makeart [OUTPUT_DIR] [--sheet FILE.png] [--layout]\n"
                     "       makeart --icons DIR\n";
            out().flush();
            return 0;
        } else if (a.startsWith(QLatin1Char('-'))) {
            err() << "makeart: unknown option " << a << Qt::endl;
            return 2;
        } else {
            outDir = a;
        }
    }
    if (layout) {
        printLayout();
        return 0;
    }
    if (!iconDir.isEmpty())
        return writeIcons(iconDir);

    if (!QDir().mkpath(outDir)) {
        err() << "makeart: cannot create folder " << outDir << Qt::endl;
        return 1;
    }
    const QDir dir(outDir);

    QList<Made> made;
    for (const ScreenArt &s : screenTable())
        made << Made{backgroundFileName(s.objectName), art::paintScreen(s), QString::fromUtf8(s.role)};
    for (const PieceArt &pc : pieceTable())
        made << Made{QString::fromLatin1(pc.file), art::paintPiece(pc), QString::fromUtf8(pc.role)};

    qint64 total = 0;
    for (const Made &m : made) {
        const QString path = dir.filePath(m.file);
        if (!writeJpeg(m.image, path))
            return 1;
        const qint64 bytes = QFileInfo(path).size();
        total += bytes;
        out() << QStringLiteral("%1  %2x%3  %4 KB  %5\n")
                     .arg(m.file, -34)
                     .arg(m.image.width())
                     .arg(m.image.height())
                     .arg((bytes + 1023) / 1024, 4)
                     .arg(m.role);
    }
    if (!writeQrc(made, dir.filePath(QStringLiteral("art.qrc"))))
        return 1;
    out() << made.size() << " pictures, " << (total + 1023) / 1024 << " KB in " << QDir::cleanPath(outDir)
          << "; " << art::fontReport() << "\n";
    out().flush();

    if (!sheetPath.isEmpty()) {
        const QImage sheet = contactSheet(made);
        if (!sheet.save(sheetPath, "png")) {
            err() << "makeart: cannot write " << sheetPath << Qt::endl;
            return 1;
        }
        out() << "contact sheet: " << sheetPath << "\n";
        out().flush();
    }
    return 0;
}
