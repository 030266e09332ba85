#include "kit/picturemenu.h"

#include "platform/controls/dbmemo.h"
#include "platform/controls/pictureopendialog.h"
#include "platform/system/errorreporter.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QLocale>
#include <QMimeData>

namespace PictureMenu {

namespace {

const QString FromFileName = QStringLiteral("MenuDosyadan");
const QString FromClipboardName = QStringLiteral("MenuClipborddan");

QString megabytes(qint64 bytes)
{
    return QLocale().toString(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

QString kilobytes(qint64 bytes)
{
    return QLocale().toString((bytes + 1023) / 1024) + QStringLiteral(" KB");
}

QByteArray encoded(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        return {};
    return bytes;
}

// The picture made small enough to store: at most ScaledSide a side, JPEG,
// lowering the quality and then the size until it fits. Empty when it
// cannot be encoded at all.
QByteArray scaledDown(const QImage& picture, QSize* scaledTo)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    for (int side = ScaledSide; side >= 200; side = side * 3 / 4) {
        const QImage small = image.width() > side || image.height() > side
                                 ? image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                 : image;
        for (int quality : {85, 70}) {
            const QByteArray bytes = encoded(small, "jpeg", quality);
            if (bytes.isEmpty())
                return {};
            if (bytes.size() <= LargestStoredPicture) {
                *scaledTo = small.size();
                return bytes;
            }
        }
    }
    return {};
}

void tellScaled(DbImage* picture, qint64 originalBytes, const QSize& size, qint64 storedBytes);

// Stores the scaled-down picture and says so.
bool storeScaled(DbImage* picture, const QImage& image, qint64 originalBytes)
{
    QSize size;
    const QByteArray bytes = scaledDown(image, &size);
    if (bytes.isEmpty()) {
        errorReporter().report(picture, QStringLiteral("Resim çok büyük (%1) ve küçültülemedi; saklanmadı.")
                                            .arg(megabytes(originalBytes)));
        return false;
    }
    if (!picture->setPictureData(bytes))
        return false;
    tellScaled(picture, originalBytes, size, bytes.size());
    return true;
}

void tellScaled(DbImage* picture, qint64 originalBytes, const QSize& size, qint64 storedBytes)
{
    errorReporter().report(picture, QStringLiteral("Resim büyük olduğu için (%1) küçültüldü: %2 × %3 piksel, %4. "
                                                   "Kaydı onayladığınızda bu haliyle saklanacak.")
                                        .arg(megabytes(originalBytes))
                                        .arg(size.width())
                                        .arg(size.height())
                                        .arg(kilobytes(storedBytes)));
}

bool refuse(DbImage* picture, const QString& message)
{
    errorReporter().report(picture, message);
    return false;
}

} // namespace

const QStringList& fileFilters()
{
    static const QStringList filters{
        QStringLiteral("Resimler (*.bmp *.jpg *.jpeg *.png)"),
        QStringLiteral("Bitmaps (*.bmp)"),
        QStringLiteral("JPEG (*.jpg *.jpeg)"),
        QStringLiteral("PNG (*.png)"),
    };
    return filters;
}

void install(DbImage* picture)
{
    auto* fromFile = new QAction(QStringLiteral("Dosyadan"), picture);
    fromFile->setObjectName(FromFileName);
    QObject::connect(fromFile, &QAction::triggered, picture, [picture] {
        const QString path = PictureOpenDialog::choose(picture->window(), QStringLiteral("Resim Aç"), fileFilters());
        if (!path.isEmpty())
            loadFile(picture, path);
    });
    auto* fromClipboard = new QAction(QStringLiteral("Clipborddan"), picture);
    fromClipboard->setObjectName(FromClipboardName);
    QObject::connect(fromClipboard, &QAction::triggered, picture, [picture] { pasteClipboard(picture); });
    picture->addAction(fromFile);
    picture->addAction(fromClipboard);
    picture->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QAction* fromFileAction(DbImage* picture)
{
    return picture->findChild<QAction*>(FromFileName, Qt::FindDirectChildrenOnly);
}

QAction* fromClipboardAction(DbImage* picture)
{
    return picture->findChild<QAction*>(FromClipboardName, Qt::FindDirectChildrenOnly);
}

bool loadFile(DbImage* picture, const QString& path)
{
    const QFileInfo info(path);
    const QString name = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.exists())
        return refuse(picture, QStringLiteral("Resim dosyası bulunamadı:\n%1").arg(name));
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return refuse(picture, QStringLiteral("Resim dosyası okunamadı:\n%1").arg(name));
    const QString unknown =
        QStringLiteral("Bu dosya okunabilen bir resim değil (BMP, JPEG ya da PNG olmalı):\n%1").arg(name);

    if (info.size() <= LargestStoredPicture) {
        QByteArray bytes = file.readAll();
        if (bytes.size() != info.size())
            return refuse(picture, QStringLiteral("Resim dosyası okunamadı:\n%1").arg(name));
        QBuffer buffer(&bytes);
        if (QImageReader(&buffer).read().isNull())
            return refuse(picture, unknown);
        return picture->setPictureData(bytes);
    }

    QImageReader reader(&file);
    reader.setAutoTransform(true); // the camera's turn is kept once the picture is redrawn
    const QImage image = reader.read();
    if (image.isNull())
        return refuse(picture, unknown);
    return storeScaled(picture, image, info.size());
}

bool pasteClipboard(DbImage* picture)
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return false;
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull() || !picture->link().canModify())
        return false;
    const QByteArray png = encoded(image, "png");
    if (!png.isEmpty() && png.size() <= LargestStoredPicture)
        return picture->setPictureData(png);
    return storeScaled(picture, image, png.isEmpty() ? qint64(image.sizeInBytes()) : png.size());
}

} // namespace PictureMenu
