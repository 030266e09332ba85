#include "data/listingpictures.h"

#include "data/catalogue.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "platform/system/safefilewriter.h"

#include <QBuffer>
#include <algorithm>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QLocale>
#include <QThreadPool>

namespace PictureStore {

namespace {

namespace P = Catalogue::Pictures;

QString q(const QString& name)
{
    return Database::quoted(name);
}

QVector<Stored> read(Database& store, const QString& column, const QString& listingTable, qint64 key)
{
    QVector<Stored> found;
    store.select(QStringLiteral("SELECT %1,%2,%3 FROM %4 WHERE %5 = ? AND %6 = ? ORDER BY %7")
                     .arg(q(QStringLiteral("No")), q(P::Caption), q(column), q(P::Table), q(P::Register), q(P::ListingKey), q(P::Order)),
                 {listingTable, key}, [&](const SqlStatement& row) {
                     found.append({row.integer(0), row.text(1), row.value(2).toByteArray()});
                 });
    return found;
}

QByteArray jpeg(const QImage& image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    return writer.write(image.convertToFormat(QImage::Format_RGB32)) ? bytes : QByteArray();
}

QImage fitted(const QImage& image, int side)
{
    return image.width() > side || image.height() > side
               ? image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
               : image;
}

} // namespace

QVector<Stored> thumbnails(Database& store, const QString& listingTable, qint64 key)
{
    return read(store, P::Thumbnail, listingTable, key);
}

QVector<Stored> pictures(Database& store, const QString& listingTable, qint64 key)
{
    return read(store, P::Picture, listingTable, key);
}

QByteArray picture(Database& store, qint64 id)
{
    QByteArray bytes;
    store.select(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(q(P::Picture), q(P::Table), q(QStringLiteral("No"))),
                 {id}, [&](const SqlStatement& row) { bytes = row.value(0).toByteArray(); });
    return bytes;
}

Prepared prepare(const QImage& image, const QByteArray& jpegAsItIs)
{
    Prepared prepared;
    if (image.isNull())
        return prepared;
    prepared.originalSize = image.size();
    const QImage stored = fitted(image, LongestSide);
    prepared.size = stored.size();
    prepared.picture = !jpegAsItIs.isEmpty() && stored.size() == image.size() ? jpegAsItIs : jpeg(stored, 85);
    prepared.thumbnail = jpeg(fitted(stored, ThumbnailSide), 80);
    if (prepared.thumbnail.isEmpty())
        prepared.picture.clear();
    return prepared;
}

QString exportName(const QString& district, qint64 key, int n)
{
    QString name = district.trimmed().isEmpty() ? QStringLiteral("ilan") : district.trimmed();
    for (QChar& c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.isSpace())
            c = QLatin1Char('_');
    return QStringLiteral("%1-%2-%3.jpg").arg(name).arg(key).arg(n);
}

QString saveAll(const QString& folder, const QString& district, qint64 key, const QVector<QByteArray>& pictures)
{
    const QFileInfo info(folder);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.isDir())
        return QStringLiteral("'%1' klasörü yok; resimler kaydedilmedi. Var olan bir klasör seçin.").arg(shown);
    if (!info.isWritable())
        return QStringLiteral("'%1' klasörüne yazma izniniz yok; resimler kaydedilmedi. Başka bir klasör seçin.")
            .arg(shown);
    for (int i = 0; i < pictures.size(); ++i) {
        const QString failure = writeFileSafely(QDir(folder).filePath(exportName(district, key, i + 1)), pictures.at(i));
        if (!failure.isEmpty())
            return QStringLiteral("Resimler '%1' klasörüne kaydedilemedi (%2 resimden %3 tanesi yazıldı): %4")
                .arg(shown)
                .arg(pictures.size())
                .arg(i)
                .arg(failure);
    }
    return {};
}

} // namespace PictureStore

// --- the current record's pictures ------------------------------------------

ListingPictures::ListingPictures(Database& store, Table& listing, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_listing(listing)
    , m_table(listing.schema().name)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        const qint64 left = SettleMs - m_still.elapsed();
        if (left > 0)
            m_settle.start(int(left)); // the cursor moved on meanwhile
        else
            loadNow();
    });
    connect(&listing, &Dataset::recordChanged, this, &ListingPictures::recordChanged);
    connect(&listing, &Dataset::afterPost, this, &ListingPictures::posted);
    connect(&listing, &Dataset::afterCancel, this, [this] {
        m_writtenIds.clear();
        reset(m_listing.isEmpty() ? -1 : m_listing.integer(QStringLiteral("No")));
    });
    connect(&listing, &Dataset::afterRefresh, this, [this] {
        if (!m_listing.isEditing())
            reset(m_listing.isEmpty() ? -1 : m_listing.integer(QStringLiteral("No")));
    });
    listing.addWriteWithRecord([this](qint64 key) { writeWithRecord(key); });
    recordChanged();
}

void ListingPictures::reset(qint64 key)
{
    ++m_generation;
    m_key = key;
    m_items.clear();
    m_removed.clear();
    m_modified = false;
    m_loaded = key < 0;
    // Nothing is read until the cursor stands still: each step only notes
    // the time, and the timer, started once, waits out the rest.
    m_still.start();
    if (m_loaded)
        m_settle.stop();
    else if (!m_settle.isActive())
        m_settle.start(SettleMs);
    emit changed();
}

void ListingPictures::recordChanged()
{
    switch (m_listing.state()) {
    case DatasetState::Inactive:
        reset(-1);
        return;
    case DatasetState::Insert:
        if (m_key != -1 || !m_modified)
            reset(-1);
        return;
    case DatasetState::Edit:
        return;
    case DatasetState::Browse:
        break;
    }
    if (!m_writtenIds.isEmpty())
        return; // a post under way: posted() takes over
    const qint64 key = m_listing.isEmpty() ? -1 : m_listing.integer(QStringLiteral("No"));
    if (key != m_key || m_modified)
        reset(key);
}

void ListingPictures::loadNow()
{
    m_settle.stop();
    if (m_key < 0 || m_modified)
        return;
    const QVector<PictureStore::Stored> stored = PictureStore::thumbnails(m_store, m_table, m_key);
    m_items.clear();
    for (const PictureStore::Stored& one : stored)
        m_items.append({.id = one.id, .caption = one.caption, .thumbnail = one.bytes});
    m_loaded = m_items.isEmpty();
    emit changed();
    decodeThumbnails();
}

void ListingPictures::decodeThumbnails()
{
    QVector<QByteArray> pending;
    for (const Item& item : std::as_const(m_items))
        pending << (item.thumbnailImage.isNull() ? item.thumbnail : QByteArray());
    if (std::all_of(pending.cbegin(), pending.cend(), [](const QByteArray& b) { return b.isEmpty(); })) {
        m_loaded = true;
        return;
    }
    const int generation = m_generation;
    QPointer<ListingPictures> self(this);
    QThreadPool::globalInstance()->start([self, generation, pending] {
        QVector<QImage> images;
        for (const QByteArray& bytes : pending)
            images << (bytes.isEmpty() ? QImage() : QImage::fromData(bytes, "JPEG"));
        // Handed back on the user-interface thread; dropped when the record moved on.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, generation, images] {
            if (!self || self->m_generation != generation)
                return;
            for (int i = 0; i < images.size() && i < self->m_items.size(); ++i) {
                if (images.at(i).isNull() || !self->m_items.at(i).thumbnailImage.isNull())
                    continue;
                self->m_items[i].thumbnailImage = images.at(i);
                emit self->thumbnailReady(i);
            }
            self->m_loaded = true;
        }, Qt::QueuedConnection);
    });
}

void ListingPictures::beginChange()
{
    if (!m_listing.isActive())
        throw DataError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (!m_listing.isEditing()) {
        if (!m_loaded)
            loadNow(); // the pictures being edited must be the record's own
        m_listing.edit();
    }
    m_listing.markModified();
    m_modified = true;
    m_writtenIds.clear();
}

bool ListingPictures::addPrepared(const PictureStore::Prepared& prepared)
{
    if (prepared.picture.isEmpty())
        return false;
    Item item{.thumbnail = prepared.thumbnail, .picture = prepared.picture};
    item.thumbnailImage = QImage::fromData(prepared.thumbnail, "JPEG");
    m_items.append(item);
    return true;
}

namespace {

QString scaledMessage(const QString& what, const PictureStore::Prepared& prepared)
{
    return QStringLiteral("%1 büyük olduğu için (%2 × %3 piksel) küçültüldü: %4 × %5 piksel, %6 KB. Kaydı "
                          "onayladığınızda bu haliyle saklanacak.")
        .arg(what)
        .arg(prepared.originalSize.width())
        .arg(prepared.originalSize.height())
        .arg(prepared.size.width())
        .arg(prepared.size.height())
        .arg(QLocale().toString((prepared.picture.size() + 1023) / 1024));
}

} // namespace

QStringList ListingPictures::addFiles(const QStringList& paths)
{
    QStringList said;
    bool begun = false;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        const QString name = QDir::toNativeSeparators(info.absoluteFilePath());
        QFile file(path);
        if (!info.exists()) {
            said << QStringLiteral("Resim dosyası bulunamadı:\n%1").arg(name);
            continue;
        }
        if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
            said << QStringLiteral("Resim dosyası okunamadı:\n%1").arg(name);
            continue;
        }
        QByteArray bytes = file.readAll();
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        reader.setAutoTransform(true); // the camera's turn is kept once the picture is redrawn
        const QByteArray format = reader.format();
        const QImage image = reader.read();
        if (image.isNull()) {
            said << QStringLiteral("Bu dosya okunabilen bir resim değil (BMP, JPEG ya da PNG olmalı):\n%1").arg(name);
            continue;
        }
        // A JPEG that needs no turning is kept as it came.
        const bool asItIs = format == "jpeg" && reader.transformation() == QImageIOHandler::TransformationNone;
        const PictureStore::Prepared prepared = PictureStore::prepare(image, asItIs ? bytes : QByteArray());
        try {
            if (!begun)
                beginChange();
            begun = true;
        } catch (const DataError& error) {
            said << error.message();
            break;
        }
        if (!addPrepared(prepared)) {
            said << QStringLiteral("Resim saklanamadı (JPEG olarak yazılamadı):\n%1").arg(name);
            continue;
        }
        if (prepared.scaled())
            said << scaledMessage(QStringLiteral("'%1'").arg(info.fileName()), prepared);
    }
    if (begun)
        emit changed();
    return said;
}

QString ListingPictures::addImage(const QImage& image, bool* added)
{
    if (added)
        *added = false;
    if (image.isNull())
        return {};
    const PictureStore::Prepared prepared = PictureStore::prepare(image);
    try {
        beginChange();
    } catch (const DataError& error) {
        return error.message();
    }
    if (!addPrepared(prepared))
        return QStringLiteral("Panodaki resim saklanamadı (JPEG olarak yazılamadı).");
    if (added)
        *added = true;
    emit changed();
    return prepared.scaled() ? scaledMessage(QStringLiteral("Panodaki resim"), prepared) : QString();
}

void ListingPictures::remove(int index)
{
    if (index < 0 || index >= m_items.size())
        return;
    beginChange();
    if (m_items.at(index).id > 0)
        m_removed << m_items.at(index).id;
    m_items.removeAt(index);
    emit changed();
}

void ListingPictures::move(int from, int to)
{
    if (from < 0 || from >= m_items.size() || to < 0 || to >= m_items.size() || from == to)
        return;
    beginChange();
    m_items.move(from, to);
    emit changed();
}

void ListingPictures::setCaption(int index, const QString& caption)
{
    if (index < 0 || index >= m_items.size())
        return;
    const QString cut = caption.left(Catalogue::Pictures::CaptionSize);
    if (m_items.at(index).caption == cut)
        return;
    beginChange();
    m_items[index].caption = cut;
    emit changed();
}

QByteArray ListingPictures::pictureBytes(int index)
{
    if (index < 0 || index >= m_items.size())
        return {};
    const Item& item = m_items.at(index);
    // A stored picture is read for each use, so a walk through the register
    // keeps none of them in memory.
    return !item.picture.isEmpty() ? item.picture : PictureStore::picture(m_store, item.id);
}

QImage ListingPictures::pictureImage(int index)
{
    return QImage::fromData(pictureBytes(index), "JPEG");
}

void ListingPictures::writeWithRecord(qint64 key)
{
    m_writtenIds.clear();
    if (!m_modified)
        return;
    namespace P = Catalogue::Pictures;
    const QString no = Database::quoted(QStringLiteral("No"));
    for (qint64 id : std::as_const(m_removed))
        m_store.execute(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(Database::quoted(P::Table), no), {id});
    QVector<qint64> ids;
    for (int i = 0; i < m_items.size(); ++i) {
        const Item& item = m_items.at(i);
        // A text field is never NULL: no caption is the empty text.
        const QString caption = item.caption.isNull() ? QStringLiteral("") : item.caption;
        if (item.id > 0) {
            m_store.execute(QStringLiteral("UPDATE %1 SET %2 = ?, %3 = ? WHERE %4 = ?")
                                .arg(Database::quoted(P::Table), Database::quoted(P::Order), Database::quoted(P::Caption), no),
                            {i + 1, caption, item.id});
            ids << item.id;
            continue;
        }
        m_store.execute(QStringLiteral("INSERT INTO %1 (%2,%3,%4,%5,%6,%7) VALUES (?,?,?,?,?,?)")
                            .arg(Database::quoted(P::Table), Database::quoted(P::Register), Database::quoted(P::ListingKey),
                                 Database::quoted(P::Order), Database::quoted(P::Caption), Database::quoted(P::Picture),
                                 Database::quoted(P::Thumbnail)),
                        {m_table, key, i + 1, caption, item.picture, item.thumbnail});
        ids << m_store.lastInsertKey();
    }
    m_writtenIds = ids;
    if (m_writtenIds.isEmpty())
        m_writtenIds << 0; // written, none left: still a post of this model's
}

void ListingPictures::posted()
{
    if (m_writtenIds.isEmpty())
        return;
    const qint64 key = m_listing.integer(QStringLiteral("No"));
    for (int i = 0; i < m_items.size() && i < m_writtenIds.size(); ++i) {
        m_items[i].id = m_writtenIds.at(i);
        m_items[i].picture.clear(); // in the store now; read again when asked
    }
    m_writtenIds.clear();
    m_removed.clear();
    m_modified = false;
    m_key = key;
    m_loaded = true;
    emit changed();
}
