// A listing's pictures: the table beside the fourteen (made for an older
// store, refused for none), what the clerk does with them on the record
// (add, reorder, caption, remove, cancel, post, delete with the record), the
// scale-down and the refused file, the thumbnails read only once the cursor
// stands still, the strip on the five entry screens, the cards read back from
// their PDF, and "Resimleri Kaydet". Runs on both stores.
#include "data/listingpictures.h"
#include "entry/landrequestentry.h"
#include "entry/listingentry.h"
#include "entry/picturestrip.h"
#include "kit/screens.h"
#include "platform/controls/dbnavigator.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/postgresengine.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/table.h"
#include "platform/reporting/report.h"
#include "reports/reports.h"
#include "support/fakes.h"
#include "support/pdfreading.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QtTest>
#include <sys/stat.h>

namespace {

const QString PictureTable = Catalogue::Pictures::Table;

// A picture whose colour tells it apart, with a mark so it is no flat field.
QImage picture(int width, int height, const QColor& colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QPainter painter(&image);
    painter.fillRect(QRect(width / 4, height / 4, width / 2, height / 2), colour.darker(200));
    return image;
}

QString written(const QString& folder, const QString& name, const QImage& image, const char* format)
{
    const QString path = QDir(folder).filePath(name);
    if (!image.save(path, format))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The stored pictures of one listing as "caption@order", in order.
QStringList storedCaptions(Database& store, const QString& table, qint64 key)
{
    QStringList found;
    store.select(QStringLiteral("SELECT \"Aciklama\", \"Sira\" FROM \"ilanresimleri\" WHERE \"Kayit\" = ? AND "
                                "\"IlanNo\" = ? ORDER BY \"Sira\""),
                 {table, key}, [&](const SqlStatement& row) {
                     found << QStringLiteral("%1@%2").arg(row.text(0)).arg(row.integer(1));
                 });
    return found;
}

int pictureRows(Database& store)
{
    int count = -1;
    store.select(QStringLiteral("SELECT count(*) FROM \"ilanresimleri\""), {},
                 [&](const SqlStatement& row) { count = int(row.integer(0)); });
    return count;
}

int storedVersion(Database& store)
{
    int version = -1;
    store.select(storesOnServer() ? QStringLiteral("SELECT max(surum) FROM evlora_surum")
                                  : QStringLiteral("PRAGMA user_version"),
                 {}, [&](const SqlStatement& row) { version = int(row.integer(0)); });
    return version;
}

// A posted flat in Kadıköy.
qint64 postFlat(Table& flats, const QString& district = QStringLiteral("Kadıköy"))
{
    flats.append();
    flats.setText(QStringLiteral("Semtadi"), district);
    flats.setText(QStringLiteral("Notlar"), QStringLiteral("Deniz gören, yeni boyalı."));
    flats.post();
    return flats.integer(QStringLiteral("No"));
}

} // namespace

class ListingPicturesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_store;
    QTemporaryDir m_files;
    CollectingReporter m_messages;
    AnsweringConfirmer m_yes{true};
    QString m_red, m_green, m_blue;

    Database& db() { return *m_store->db; }

private slots:
    void initTestCase()
    {
        useTurkishLocale();
        setErrorReporter(&m_messages);
        setConfirmer(&m_yes);
        m_red = written(m_files.path(), QStringLiteral("kirmizi.jpg"), picture(640, 480, Qt::red), "jpeg");
        m_green = written(m_files.path(), QStringLiteral("yesil.png"), picture(480, 640, Qt::green), "png");
        m_blue = written(m_files.path(), QStringLiteral("mavi.bmp"), picture(400, 300, Qt::blue), "bmp");
    }

    void cleanupTestCase()
    {
        setErrorReporter(nullptr);
        setConfirmer(nullptr);
    }

    void init() { m_store = std::make_unique<ScratchStore>(); }

    void cleanup()
    {
        m_store.reset();
        m_messages.shown.clear();
        m_yes.questions.clear();
    }

    // --- the table beside the fourteen --------------------------------------

    void anOlderStoreGetsThePictureTableAndItsVersionRaised()
    {
        QCOMPARE(pictureRows(db()), 0);
        QCOMPARE(storedVersion(db()), storesOnServer() ? PostgresEngine::SchemaVersion : SqliteEngine::SchemaVersion);
        // The store as the first version left it: the fourteen, version 1.
        for (const TableSchema& added : Catalogue::addedTables())
            db().execute(QStringLiteral("DROP TABLE \"%1\"").arg(added.name));
        db().execute(storesOnServer() ? QStringLiteral("UPDATE evlora_surum SET surum = 1")
                                      : QStringLiteral("PRAGMA user_version = 1"));
        {
            Table flats(db(), QStringLiteral("kdgiris"));
            flats.open();
            postFlat(flats);
        }
        m_store->db.reset();
        m_store->db = Catalogue::openStore(m_store->folder.path());
        QCOMPARE(pictureRows(db()), 0);
        for (const TableSchema& added : Catalogue::addedTables()) // each is there again (a select throws if not)
            db().select(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(added.name), {}, [](const SqlStatement&) {});
        QCOMPARE(storedVersion(db()), storesOnServer() ? PostgresEngine::SchemaVersion : SqliteEngine::SchemaVersion);
        // Its records are all there, and deleting one still takes its pictures.
        Table flats(db(), QStringLiteral("kdgiris"));
        flats.open();
        QCOMPARE(flats.recordCount(), 1);
        ListingPictures pictures(db(), flats);
        QVERIFY(pictures.addFiles({m_red}).isEmpty());
        flats.post();
        QCOMPARE(pictureRows(db()), 1);
        flats.remove();
        QCOMPARE(pictureRows(db()), 0);
    }

    void aStoreOfALaterVersionIsStillRefused()
    {
        if (storesOnServer())
            QSKIP("the embedded store's file version");
        db().execute(QStringLiteral("PRAGMA user_version = 99"));
        m_store->db.reset();
        const QString message = messageOf([&] { Catalogue::openStore(m_store->folder.path()); });
        QVERIFY2(message.contains(QStringLiteral("daha yeni bir sürümüyle")), qPrintable(message));
    }

    void theFourteenAreCheckedAsBeforeAndThePictureTableIsNotOneOfThem()
    {
        QCOMPARE(Catalogue::tables().size(), 14);
        for (const TableSchema& table : Catalogue::tables())
            QVERIFY(table.name != PictureTable);
        QVERIFY(db().findTable(QStringLiteral("ilanresimleri.db")));
        QCOMPARE(db().catalogue().size(), 14);
        if (storesOnServer())
            return;
        // A broken added table refuses the store as a broken one of the fourteen would.
        db().execute(QStringLiteral("DROP TABLE \"ilanresimleri\""));
        db().execute(QStringLiteral("CREATE TABLE \"ilanresimleri\" (\"No\" INTEGER)"));
        m_store->db.reset();
        const QString message = messageOf([&] { Catalogue::openStore(m_store->folder.path()); });
        QVERIFY2(message.contains(QStringLiteral("'ilanresimleri' tablosunda 'Kayit' alanı yok")), qPrintable(message));
    }

    // --- the clerk's work on a record ----------------------------------------

    void picturesAreWrittenOnPostInTheirOrderWithTheirCaptions()
    {
        Table flats(db(), QStringLiteral("kdgiris"));
        flats.open();
        const qint64 other = postFlat(flats, QStringLiteral("Moda"));
        ListingPictures pictures(db(), flats);
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        QVERIFY(pictures.addFiles({m_red, m_green, m_blue}).isEmpty());
        QCOMPARE(pictures.count(), 3);
        pictures.setCaption(0, QStringLiteral("Salon"));
        pictures.setCaption(1, QStringLiteral("Mutfak"));
        pictures.setCaption(2, QStringLiteral("Banyo"));
        QCOMPARE(pictureRows(db()), 0); // nothing before the post
        flats.post();
        const qint64 key = flats.integer(QStringLiteral("No"));
        QCOMPARE(storedCaptions(db(), QStringLiteral("kdgiris"), key),
                 (QStringList{QStringLiteral("Salon@1"), QStringLiteral("Mutfak@2"), QStringLiteral("Banyo@3")}));
        QCOMPARE(rowsOnDisk(m_store->path(), PictureTable), 3);
        QVERIFY(!pictures.isModified());
        QCOMPARE(pictures.key(), key);

        // Reordered: the last first; one removed; posted again.
        pictures.move(2, 0);
        QCOMPARE(flats.state(), DatasetState::Edit);
        pictures.remove(2); // "Mutfak"
        flats.post();
        QCOMPARE(storedCaptions(db(), QStringLiteral("kdgiris"), key),
                 (QStringList{QStringLiteral("Banyo@1"), QStringLiteral("Salon@2")}));
        // The stored picture is the file as it was: a small JPEG is kept byte for byte.
        QFile red(m_red);
        QVERIFY(red.open(QIODevice::ReadOnly));
        QCOMPARE(pictures.pictureBytes(1), red.readAll());
        QVERIFY(storedCaptions(db(), QStringLiteral("kdgiris"), other).isEmpty());

        // Walking away and back reads them again, in order, with their thumbnails.
        flats.locate(QStringLiteral("No"), other);
        QCOMPARE(pictures.count(), 0);
        flats.locate(QStringLiteral("No"), key);
        QTRY_VERIFY(pictures.isLoaded() && pictures.count() == 2);
        QCOMPARE(pictures.at(0).caption, QStringLiteral("Banyo"));
        QTRY_VERIFY(!pictures.at(1).thumbnailImage.isNull());
        QVERIFY(std::max(pictures.at(1).thumbnailImage.width(), pictures.at(1).thumbnailImage.height())
                <= PictureStore::ThumbnailSide);
        QCOMPARE(pictures.pictureImage(0).size(), QSize(400, 300));
    }

    void cancelDropsWhatWasAddedAndMovingAwayPostsIt()
    {
        Table flats(db(), QStringLiteral("kdgiris"));
        flats.open();
        const qint64 first = postFlat(flats);
        const qint64 second = postFlat(flats);
        ListingPictures pictures(db(), flats);
        flats.locate(QStringLiteral("No"), first);
        pictures.loadNow();
        QVERIFY(pictures.addFiles({m_red, m_green}).isEmpty());
        QCOMPARE(flats.state(), DatasetState::Edit);
        flats.cancel();
        QCOMPARE(pictures.count(), 0);
        QCOMPARE(pictureRows(db()), 0);

        // Only pictures changed: moving to another record posts them as a changed field would.
        QVERIFY(pictures.addFiles({m_blue}).isEmpty());
        flats.locate(QStringLiteral("No"), second);
        QCOMPARE(storedCaptions(db(), QStringLiteral("kdgiris"), first), QStringList{QStringLiteral("@1")});
        QCOMPARE(pictures.count(), 0);

        // A new record that is cancelled leaves nothing either.
        flats.append();
        QVERIFY(pictures.addFiles({m_green}).isEmpty());
        flats.cancel();
        QCOMPARE(pictureRows(db()), 1);
    }

    void deletingTheRecordDeletesItsPicturesHoweverItIsDeleted()
    {
        Table flats(db(), QStringLiteral("kdgiris"));
        Table land(db(), QStringLiteral("arsa"));
        flats.open();
        land.open();
        ListingPictures flatPictures(db(), flats);
        ListingPictures landPictures(db(), land);
        const qint64 kept = postFlat(flats);
        QVERIFY(flatPictures.addFiles({m_red}).isEmpty());
        flats.post();
        const qint64 gone = postFlat(flats);
        QVERIFY(flatPictures.addFiles({m_red, m_green}).isEmpty());
        flats.post();
        land.append();
        land.setText(QStringLiteral("Semt"), QStringLiteral("Kadıköy"));
        QVERIFY(landPictures.addFiles({m_blue}).isEmpty());
        land.post();
        const qint64 plot = land.integer(QStringLiteral("No"));
        QCOMPARE(plot, kept); // the same key in another register: its pictures are its own
        QCOMPARE(pictureRows(db()), 4);

        flats.remove(); // the navigator's delete
        QCOMPARE(pictureRows(db()), 2);
        QVERIFY(storedCaptions(db(), QStringLiteral("kdgiris"), gone).isEmpty());
        QCOMPARE(storedCaptions(db(), QStringLiteral("arsa"), plot).size(), 1);
        // Another way: a statement, as an import replacing the register runs.
        db().inTransaction([&] { db().execute(QStringLiteral("DELETE FROM \"kdgiris\"")); });
        QCOMPARE(pictureRows(db()), 1);
        QVERIFY(storedCaptions(db(), QStringLiteral("kdgiris"), kept).isEmpty());
        QCOMPARE(storedCaptions(db(), QStringLiteral("arsa"), plot).size(), 1);
    }

    void largePicturesAreScaledDownAndTheClerkIsTold()
    {
        Table flats(db(), QStringLiteral("sdgiris"));
        flats.open();
        ListingPictures pictures(db(), flats);
        const QString large =
            written(m_files.path(), QStringLiteral("buyuk.png"), picture(3200, 2000, Qt::darkCyan), "png");
        const QStringList said = pictures.addFiles({large, m_red});
        QCOMPARE(said.size(), 1); // the small one comes in without a word
        QVERIFY2(said.first().contains(QStringLiteral("'buyuk.png' büyük olduğu için (3200 × 2000 piksel) küçültüldü: "
                                                      "1600 × 1000 piksel")),
                 qPrintable(said.first()));
        QCOMPARE(pictures.count(), 2);
        QByteArray bytes = pictures.pictureBytes(0);
        QBuffer buffer(&bytes);
        QImageReader stored(&buffer);
        QCOMPARE(stored.format(), QByteArray("jpeg"));
        QCOMPARE(stored.size(), QSize(1600, 1000));

        // So is one from the clipboard, and a PNG or BMP within the size is stored as JPEG.
        bool added = false;
        const QString pasted = pictures.addImage(picture(1000, 2400, Qt::yellow), &added);
        QVERIFY(added);
        QVERIFY2(pasted.startsWith(QStringLiteral("Panodaki resim büyük olduğu için (1000 × 2400 piksel) küçültüldü:"))
                     && pasted.contains(QStringLiteral(" × 1600 piksel")),
                 qPrintable(pasted));
        QVERIFY(pictures.addFiles({m_blue}).isEmpty());
        QCOMPARE(QImage::fromData(pictures.pictureBytes(3), "JPEG").size(), QSize(400, 300));
    }

    void aDamagedOrMissingFileIsRefusedWithAMessageAndTheRecordLeftAlone()
    {
        Table flats(db(), QStringLiteral("kdgiris"));
        flats.open();
        postFlat(flats);
        ListingPictures pictures(db(), flats);
        QFile good(m_red);
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QString damaged = QDir(m_files.path()).filePath(QStringLiteral("bozuk.jpg"));
        QFile cut(damaged);
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(good.read(20)); // a JPEG's first bytes, then nothing
        cut.close();
        const QString text = QDir(m_files.path()).filePath(QStringLiteral("not.png"));
        QFile notPicture(text);
        QVERIFY(notPicture.open(QIODevice::WriteOnly));
        notPicture.write("Bu bir resim değil.");
        notPicture.close();

        const QStringList said = pictures.addFiles({damaged, text, m_files.filePath(QStringLiteral("yok.jpg"))});
        QCOMPARE(said.size(), 3);
        QVERIFY2(said.at(0).startsWith(QStringLiteral("Bu dosya okunabilen bir resim değil (BMP, JPEG ya da PNG "
                                                      "olmalı):")),
                 qPrintable(said.at(0)));
        QVERIFY(said.at(0).contains(QStringLiteral("bozuk.jpg")));
        QVERIFY(said.at(1).contains(QStringLiteral("not.png")));
        QVERIFY(said.at(2).startsWith(QStringLiteral("Resim dosyası bulunamadı:")));
        QCOMPARE(pictures.count(), 0);
        QCOMPARE(flats.state(), DatasetState::Browse);
        // With a good one among them, only the good one comes in.
        QCOMPARE(pictures.addFiles({damaged, m_red}).size(), 1);
        QCOMPARE(pictures.count(), 1);
    }

    void thumbnailsAreReadOnlyOnceTheCursorStandsStill()
    {
        Table flats(db(), QStringLiteral("kdgiris"));
        flats.open();
        ListingPictures pictures(db(), flats);
        QList<qint64> keys;
        for (int i = 0; i < 3; ++i) {
            keys << postFlat(flats);
            QVERIFY(pictures.addFiles({m_red, m_blue}).isEmpty());
            flats.post();
        }
        flats.first();
        flats.next();
        flats.next(); // walked over: nothing read on the way
        QCOMPARE(pictures.key(), keys.at(2));
        QVERIFY(!pictures.isLoaded());
        QCOMPARE(pictures.count(), 0);
        QTRY_VERIFY(pictures.isLoaded());
        QCOMPARE(pictures.count(), 2);
        QVERIFY(pictures.at(0).picture.isEmpty()); // whole pictures only when asked for
        QVERIFY(!pictures.at(0).thumbnailImage.isNull());
    }

    // --- the strip on the five screens ---------------------------------------

    void eachListingScreenHasItsStripUnderIt()
    {
        Screens screens(db());
        screens.createAll(listingEntryScreens() + landAndRequestScreens());
        for (const QString& name : {QStringLiteral("RentalFlatEntry"), QStringLiteral("SaleFlatEntry"),
                                    QStringLiteral("RentalPropertyEntry"), QStringLiteral("SalePropertyEntry"),
                                    QStringLiteral("LandEntry")}) {
            auto* entry = screens.get<FormEntry>(name);
            auto* strip = entry->findChild<PictureStrip*>();
            QVERIFY2(strip, qPrintable(name));
            QVERIFY(!strip->isVisible());
            screens.show(name);
            QTRY_VERIFY(strip->isVisible());
            QCOMPARE(strip->geometry().top(), entry->geometry().bottom() + 1);
            QCOMPARE(strip->width(), entry->width());
            entry->move(entry->pos() + QPoint(30, 20));
            QCOMPARE(strip->geometry().left(), entry->geometry().left());
            entry->hide();
            QVERIFY(!strip->isVisible());
        }
        QVERIFY(!screens.get<FormEntry>(QStringLiteral("RequestEntry"))->findChild<PictureStrip*>());
    }

    void theStripAddsRemovesAfterAQuestionMovesAndShowsOneLarge()
    {
        Screens screens(db());
        screens.createAll(listingEntryScreens());
        auto* entry = screens.get<ListingEntry>(QStringLiteral("RentalFlatEntry"));
        screens.show(QStringLiteral("RentalFlatEntry"));
        auto* strip = entry->findChild<PictureStrip*>();
        entry->navigator()->press(DbNavigator::Insert);
        entry->cursor()->setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        strip->addFiles({m_red, m_green, m_blue});
        QCOMPARE(strip->thumbnails()->count(), 3);
        QCOMPARE(strip->current(), 2);

        strip->moveCurrent(-1);
        QCOMPARE(strip->current(), 1);
        QTest::mouseClick(strip->thumbnails()->viewport(), Qt::LeftButton, {},
                          strip->thumbnails()->visualItemRect(strip->thumbnails()->item(0)).center());
        QCOMPARE(strip->current(), 0);
        QVERIFY(strip->viewer()->isVisible());
        QCOMPARE(strip->viewer()->picture()->pixmap().size(), QSize(640, 480)); // the red one, whole
        QVERIFY((strip->viewer()->geometry().center() - entry->geometry().center()).manhattanLength() <= 4);
        // Escape closes the large view alone: the record being typed stays.
        QTest::keyClick(strip->viewer(), Qt::Key_Escape);
        QVERIFY(!strip->viewer()->isVisible());
        QCOMPARE(entry->cursor()->state(), DatasetState::Insert);
        QTest::mouseClick(strip->thumbnails()->viewport(), Qt::LeftButton, {},
                          strip->thumbnails()->visualItemRect(strip->thumbnails()->item(0)).center());
        QVERIFY(strip->viewer()->isVisible());
        QTest::mouseClick(strip->viewer()->picture(), Qt::LeftButton);
        QVERIFY(!strip->viewer()->isVisible());
        strip->caption()->setText(QStringLiteral("Salon"));
        emit strip->caption()->editingFinished();
        QCOMPARE(strip->pictures().at(0).caption, QStringLiteral("Salon"));

        m_yes.answer = false;
        strip->removeCurrent();
        QCOMPARE(m_yes.questions, QStringList{QStringLiteral("Resim silinsin mi?")});
        QCOMPARE(strip->thumbnails()->count(), 3);
        m_yes.answer = true;
        strip->setCurrent(2);
        strip->removeCurrent();
        QCOMPARE(strip->thumbnails()->count(), 2);

        QApplication::clipboard()->setImage(picture(200, 100, Qt::magenta));
        strip->pasteClipboard();
        QCOMPARE(strip->thumbnails()->count(), 3);
        entry->navigator()->press(DbNavigator::Post);
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.shown.join(QLatin1Char('\n'))));
        const qint64 key = entry->cursor()->integer(QStringLiteral("No"));
        QCOMPARE(storedCaptions(db(), QStringLiteral("kdgiris"), key),
                 (QStringList{QStringLiteral("Salon@1"), QStringLiteral("@2"), QStringLiteral("@3")}));

        // Deleted with the record from the navigator.
        entry->navigator()->press(DbNavigator::Delete);
        QCOMPARE(pictureRows(db()), 0);
        QCOMPARE(strip->thumbnails()->count(), 0);
    }

    void picturesAreSavedIntoAFolderByDistrictKeyAndNumber()
    {
        Screens screens(db());
        screens.createAll(landAndRequestScreens());
        auto* entry = screens.get<LandEntry>(QStringLiteral("LandEntry"));
        auto* strip = entry->findChild<PictureStrip*>();
        entry->cursor()->append();
        entry->cursor()->setText(QStringLiteral("Semt"), QStringLiteral("Göztepe"));
        strip->addFiles({m_red, m_green});
        entry->cursor()->post();
        const qint64 key = entry->cursor()->integer(QStringLiteral("No"));

        QTemporaryDir out;
        strip->saveToFolder(out.path());
        QVERIFY2(m_messages.shown.isEmpty(), qPrintable(m_messages.shown.join(QLatin1Char('\n'))));
        const QString first = QStringLiteral("Göztepe-%1-1.jpg").arg(key);
        const QString second = QStringLiteral("Göztepe-%1-2.jpg").arg(key);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files, QDir::Name), (QStringList{first, second}));
        QCOMPARE(QImage(QDir(out.path()).filePath(first)).size(), QSize(640, 480));
        QCOMPARE(QImage(QDir(out.path()).filePath(second)).size(), QSize(480, 640));

        // A folder that is not there, or cannot be written, is said so.
        strip->saveToFolder(out.filePath(QStringLiteral("yok")));
        QVERIFY2(m_messages.shown.value(0).contains(QStringLiteral("klasörü yok; resimler kaydedilmedi")),
                 qPrintable(m_messages.shown.value(0)));
        m_messages.shown.clear();
        const QString locked = out.filePath(QStringLiteral("kilitli"));
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0500) == 0);
        // The superuser writes anywhere a mode forbids, but not into /proc.
        const QString unwritable = QFileInfo(locked).isWritable() ? QStringLiteral("/proc") : locked;
        strip->saveToFolder(unwritable);
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY2(m_messages.shown.first().contains(QStringLiteral("yazma izniniz yok; resimler kaydedilmedi"))
                     || m_messages.shown.first().contains(QStringLiteral("kaydedilemedi (2 resimden 0 tanesi yazıldı)")),
                 qPrintable(m_messages.shown.first()));
        QCOMPARE(QDir(locked).entryList(QDir::Files), QStringList());
        ::chmod(QFile::encodeName(locked).constData(), 0700);
    }

    // --- the cards -------------------------------------------------------------

    void theCardPrintsTheFirstPictureWithoutMovingAnyRow()
    {
        Table flats(db(), QStringLiteral("sdgiris"));
        flats.open();
        const qint64 plain = postFlat(flats);
        ListingPictures pictures(db(), flats);
        const qint64 pictured = postFlat(flats);
        QVERIFY(pictures.addFiles({m_green, m_red}).isEmpty());
        flats.post();

        QTemporaryDir out;
        const auto pdfOf = [&](qint64 key, const QString& file) {
            flats.locate(QStringLiteral("No"), key);
            const QString path = out.filePath(file);
            auto report = reports::makeReport(QStringLiteral("SaleFlatCard"), flats);
            QString error;
            report->savePdf(path, &error);
            return path;
        };
        const QString without = pdfOf(plain, QStringLiteral("resimsiz.pdf"));
        const QString with = pdfOf(pictured, QStringLiteral("resimli.pdf"));

        QString error;
        QCOMPARE(readPdfImages(without, &error).size(), 0);
        const QList<PdfImage> images = readPdfImages(with, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(images.size(), 1);
        const PdfImage& first = images.first();
        QCOMPARE(first.page, 0);
        QCOMPARE(QSize(first.pixelWidth, first.pixelHeight), QSize(480, 640)); // the green one, first
        // In its frame 6 mm under the notes block (which ends 124.85 mm down the
        // detail band): 160.8 mm wide from 24.6 mm (margin and caption column),
        // reaching to 6 mm above the band's end; a portrait picture fills its
        // height, centred across.
        const double frameTop = 10 + 24.1 + 124.85 + 6;
        const double frameHeight = 203.5 - 124.85 - 2 * 6;
        QVERIFY2(std::abs(first.top - frameTop) < 0.6, qPrintable(QString::number(first.top)));
        QVERIFY2(std::abs(first.height - frameHeight) < 0.6, qPrintable(QString::number(first.height)));
        QVERIFY2(std::abs(first.width - frameHeight * 480 / 640) < 0.6, qPrintable(QString::number(first.width)));
        QVERIFY2(std::abs(first.left + first.width / 2 - (10 + 95)) < 0.6, qPrintable(QString::number(first.left)));

        // Every text of the card stands where it stood without the picture.
        const PdfText plainText = readPdf(without);
        const PdfText picturedText = readPdf(with);
        for (const QString& caption : {QStringLiteral("Semt"), QStringLiteral("Banyo"), QStringLiteral("Döviz"),
                                       QStringLiteral("Açıklama"), QStringLiteral("Tarih")}) {
            const PdfWord a = plainText.find(caption, 0);
            const PdfWord b = picturedText.find(caption, 0);
            QVERIFY2(a.page == 0 && b.page == 0, qPrintable(caption));
            QVERIFY(std::abs(a.top - b.top) < 0.01 && std::abs(a.left - b.left) < 0.01);
        }
        QCOMPARE(picturedText.pageCount(), 1);
    }

    void theResimliCardPrintsEveryPictureWithItsCaptionOnFurtherPages()
    {
        Table land(db(), QStringLiteral("arsa"));
        land.open();
        ListingPictures pictures(db(), land);
        land.append();
        land.setText(QStringLiteral("Semt"), QStringLiteral("Kadıköy"));
        QVERIFY(pictures.addFiles({m_red, m_green, m_blue}).isEmpty());
        pictures.setCaption(0, QStringLiteral("Yoldan görünüş"));
        pictures.setCaption(2, QStringLiteral("Parselin arkası"));
        land.post();

        QTemporaryDir out;
        const QString path = out.filePath(QStringLiteral("arsa.pdf"));
        auto report = reports::makePicturedCard(QStringLiteral("LandCard"), land);
        QVERIFY(report);
        QCOMPARE(report->layout().name, QStringLiteral("Arsa Ve Arazi (Resimli)"));
        QVERIFY(report->savePdf(path) == reporting::Report::Outcome::Done);
        const PdfText text = readPdf(path);
        QCOMPARE(text.pageCount(), 3); // the card, then two pictures a page
        QCOMPARE(text.find(QStringLiteral("Yoldan görünüş")).page, 1);
        QCOMPARE(text.find(QStringLiteral("Parselin arkası")).page, 2);
        QString error;
        const QList<PdfImage> images = readPdfImages(path, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QList<int> pages;
        for (const PdfImage& image : images)
            pages << image.page;
        QCOMPARE(pages, (QList<int>{0, 1, 1, 2}));
        // A 4:3 picture fills its frame's 125 mm height, centred across the
        // page; its caption sits under the frame.
        QVERIFY(std::abs(images.at(1).height - 125) < 0.6);
        QVERIFY(std::abs(images.at(1).width - 125 * 4.0 / 3) < 0.6);
        QVERIFY(std::abs(images.at(1).left + images.at(1).width / 2 - 105) < 0.6);
        QVERIFY(std::abs(images.at(1).top - 10) < 0.6);
        QVERIFY(text.find(QStringLiteral("Yoldan görünüş")).top > 10 + 125);

        // Without pictures the "Resimli" card is the card alone.
        land.append();
        land.setText(QStringLiteral("Semt"), QStringLiteral("Moda"));
        land.post();
        auto bare = reports::makePicturedCard(QStringLiteral("LandCard"), land);
        bare->layoutAll();
        QCOMPARE(bare->pagesLaidOut(), 1);
    }
};

QTEST_MAIN(ListingPicturesTest)
#include "tst_listingpictures.moc"
