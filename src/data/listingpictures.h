#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QElapsedTimer>
#include <QTimer>
#include <QVector>

class Database;
class Table;

// The pictures of listings as the store keeps them (Catalogue::Pictures):
// read by register and key, never for a grid or a search.
namespace PictureStore {

struct Stored {
    qint64 id = 0;
    QString caption;
    QByteArray bytes; // the picture or its thumbnail, JPEG
};

// A listing's thumbnails in order, with their captions.
QVector<Stored> thumbnails(Database& store, const QString& listingTable, qint64 key);
// A listing's pictures in order, whole.
QVector<Stored> pictures(Database& store, const QString& listingTable, qint64 key);
// One picture, whole; empty when there is none.
QByteArray picture(Database& store, qint64 id);

// What comes in from a file or the clipboard, made ready to store: the
// picture as JPEG at most LongestSide pixels on its long side, and its
// thumbnail. A JPEG small enough is kept byte for byte.
constexpr int LongestSide = 1600;
constexpr int ThumbnailSide = 160;
struct Prepared {
    QByteArray picture;
    QByteArray thumbnail;
    QSize size;            // what is stored
    QSize originalSize;    // what came in
    bool scaled() const { return size != originalSize; }
};
// Empty picture when the image cannot be encoded.
Prepared prepare(const QImage& image, const QByteArray& jpegAsItIs = {});

// "<district>-<key>-<n>.jpg", with characters a folder name cannot hold
// replaced; n counts from 1.
QString exportName(const QString& district, qint64 key, int n);

// Writes the pictures into folder as exportName(district, key, 1…), each
// whole or not at all. Returns what the clerk is told when that fails (the
// folder missing or not writable, a file that could not be written), else
// the empty text.
QString saveAll(const QString& folder, const QString& district, qint64 key, const QVector<QByteArray>& pictures);

} // namespace PictureStore

// The pictures of the record current on a listing entry screen, as the clerk
// edits them: added (from files or the clipboard), removed, moved, captioned.
// A change puts the record into edit state; the pictures are written in the
// same transaction as the record when it is posted, forgotten when it is
// cancelled, and deleted by the store with the record.
//
// When a record becomes current its thumbnails are read once the cursor has
// stood still for a moment and are decoded off the user-interface thread, so
// walking the register reads no picture at all. Whole pictures are read only
// when asked for (the large view, a card, saving to a folder).
class ListingPictures : public QObject {
    Q_OBJECT
public:
    // How long the cursor stands still before a record's thumbnails are read.
    static constexpr int SettleMs = 60;

    struct Item {
        qint64 id = 0;         // 0 until written
        QString caption;
        QByteArray thumbnail;  // JPEG
        QImage thumbnailImage; // decoded; null until then
        QByteArray picture;    // JPEG; empty until read or for a stored one not asked for
    };

    ListingPictures(Database& store, Table& listing, QObject* parent = nullptr);

    const QString& listingTable() const { return m_table; }
    // The key whose pictures these are; -1 for a new record or none.
    qint64 key() const { return m_key; }
    int count() const { return int(m_items.size()); }
    const Item& at(int index) const { return m_items.at(index); }
    bool isModified() const { return m_modified; }
    // Whether the thumbnails of the current record are all here.
    bool isLoaded() const { return m_loaded; }

    // Adds picture files in the order given. Returns what the clerk is told:
    // one line per file that was scaled down or refused; the others are
    // added without a word.
    QStringList addFiles(const QStringList& paths);
    // The clipboard's picture; empty text when it was added quietly, false in
    // added when there was none or it could not be stored.
    QString addImage(const QImage& image, bool* added = nullptr);
    void remove(int index);
    void move(int from, int to);
    void setCaption(int index, const QString& caption);

    // The whole picture, read from the store when needed.
    QByteArray pictureBytes(int index);
    QImage pictureImage(int index);

    // Reads the thumbnails of the current record now, without waiting for
    // the cursor to settle (decoding still happens off this thread).
    void loadNow();

signals:
    // The list changed: added, removed, moved, captioned, or another record's.
    void changed();
    // A thumbnail was decoded and can be shown.
    void thumbnailReady(int index);

private:
    void recordChanged();
    void beginChange(); // edit state, throws DataError when the record cannot be edited
    void writeWithRecord(qint64 key);
    void posted();
    void decodeThumbnails();
    void reset(qint64 key);
    bool addPrepared(const PictureStore::Prepared& prepared);

    Database& m_store;
    Table& m_listing;
    QString m_table;
    qint64 m_key = -1;
    QVector<Item> m_items;
    QVector<qint64> m_removed;
    QVector<qint64> m_writtenIds; // ids the running post gave, applied once it is done
    bool m_modified = false;
    bool m_loaded = true;
    int m_generation = 0; // grows with every record; stale decodings are dropped
    QTimer m_settle;
    QElapsedTimer m_still; // since the record became current
};
