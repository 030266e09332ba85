// What the clerk is told when the store cannot be used as it stands: each
// cause by its own message, the file left exactly as it was; and what a post
// that meets another program's lock does.
#include "platform/engine/dataerror.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/folderlock.h"
#include "platform/engine/table.h"
#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>
#include <sqlite3.h>

namespace {

// True when none of the engine's usual English words is in the message.
bool withoutEnglish(const QString& message)
{
    for (const char* word : {"database", "disk image", "malformed", "I/O", "btree", "Page ", "***", "error code", "full"})
        if (message.contains(QLatin1String(word)))
            return false;
    return true;
}

QString refusal(const QString& folder)
{
    return messageOf([&] { Catalogue::openStore(folder); });
}

// A connection of its own on the file, as another program would hold it.
struct OtherProgram {
    sqlite3* db = nullptr;
    explicit OtherProgram(const QString& path) { sqlite3_open(QFile::encodeName(path).constData(), &db); }
    ~OtherProgram() { sqlite3_close(db); }
    int exec(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

// A store with some flats, closed so that everything sits in the file.
QString storeWithFlats(QTemporaryDir& folder, int flats)
{
    auto db = Catalogue::openStore(folder.path());
    Table table(*db, QStringLiteral("kdgiris"));
    table.open();
    for (int i = 0; i < flats; ++i) {
        table.append();
        table.setText(QStringLiteral("Semtadi"), QStringLiteral("Kadıköy"));
        table.setText(QStringLiteral("Notlar"), QString(90, QLatin1Char('n')));
        table.post();
    }
    return folder.filePath(Catalogue::StoreFileName);
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void eachCauseHasItsOwnMessageAndTheFileIsLeftAlone()
    {
        QStringList messages;

        QTemporaryDir notStore;
        QFile note(notStore.filePath(Catalogue::StoreFileName));
        note.open(QIODevice::WriteOnly);
        note.write("Bu bir veri dosyası değil, sadece bir not.\n");
        note.close();
        const QByteArray noteBytes = fileHash(note.fileName());
        messages << refusal(notStore.path());
        QVERIFY2(messages.last().contains(QStringLiteral("bir Evlora veri dosyası değil")), qPrintable(messages.last()));
        QCOMPARE(fileHash(note.fileName()), noteBytes);

        QTemporaryDir readOnly;
        const QString readOnlyPath = storeWithFlats(readOnly, 1);
        QFile::setPermissions(readOnlyPath, QFile::ReadOwner | QFile::ReadUser);
        const QByteArray readOnlyBytes = fileHash(readOnlyPath);
        messages << refusal(readOnly.path());
        QVERIFY2(messages.last().contains(QStringLiteral("salt okunur")), qPrintable(messages.last()));
        QCOMPARE(fileHash(readOnlyPath), readOnlyBytes);
        QFile::setPermissions(readOnlyPath, QFile::ReadOwner | QFile::WriteOwner);

        QTemporaryDir newer;
        const QString newerPath = storeWithFlats(newer, 1);
        OtherProgram(newerPath).exec("PRAGMA user_version = 99");
        const QByteArray newerBytes = fileHash(newerPath);
        messages << refusal(newer.path());
        QVERIFY2(messages.last().contains(QStringLiteral("daha yeni bir sürümüyle")), qPrintable(messages.last()));
        QCOMPARE(fileHash(newerPath), newerBytes);

        QTemporaryDir locked;
        const QString lockedPath = storeWithFlats(locked, 1);
        {
            OtherProgram holder(lockedPath);
            QCOMPARE(holder.exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; "
                                 "INSERT INTO semtler (Semtler) VALUES ('Moda')"),
                     SQLITE_OK);
            messages << refusal(locked.path());
            QVERIFY2(messages.last().contains(QStringLiteral("başka bir program tarafından kilitlenmiş")),
                     qPrintable(messages.last()));
            holder.exec("ROLLBACK");
        }
        QVERIFY(refusal(locked.path()) == QStringLiteral("<no error>"));

        messages.removeDuplicates();
        QCOMPARE(messages.size(), 4);
    }

    void aDamagedStoreIsNamedWithTheCheckFindingsAndNotWritten()
    {
        QTemporaryDir folder;
        const QString path = storeWithFlats(folder, 400);
        {
            // Scribble over a page in the middle of the flats.
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            const qint64 pages = file.size() / 4096;
            QVERIFY(pages > 10);
            file.seek((pages - 3) * 4096 + 10);
            file.write(QByteArray(3000, '\x5a'));
        }
        const QByteArray before = fileHash(path);
        const QString message = refusal(folder.path());
        QVERIFY2(message.contains(QStringLiteral("bozuk")), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("sayfa")), qPrintable(message));
        QVERIFY2(withoutEnglish(message), qPrintable(message)); // not the check's own lines
        QCOMPARE(fileHash(path), before);
    }

    void aSecondCopyOnOneFolderIsTurnedAwayUntilTheFirstEnds()
    {
        QTemporaryDir folder;
        auto first = FolderLock::take(folder.path());
        const QString second = messageOf([&] { FolderLock::take(folder.path()); });
        QVERIFY2(second.contains(QStringLiteral("başka bir Evlora kullanıyor")), qPrintable(second));
        first.reset(); // as a crash would: the process lets go of the file
        QCOMPARE(messageOf([&] { FolderLock::take(folder.path()); }), QStringLiteral("<no error>"));
    }

    void aPostMeetingALockTellsTheClerkSoonAndKeepsTheTyping()
    {
        ScratchStore store;
        Table districts(*store.db, QStringLiteral("semtler"));
        districts.open();
        districts.append();
        districts.setText(QStringLiteral("Semtler"), QStringLiteral("Moda"));

        OtherProgram holder(store.path());
        QCOMPARE(holder.exec("BEGIN IMMEDIATE"), SQLITE_OK);
        QElapsedTimer waited;
        waited.start();
        const QString message = messageOf([&] { districts.post(); });
        qInfo("post against a held lock gave up after %lld ms", waited.elapsed());
        QVERIFY2(message.contains(QStringLiteral("başka bir program tarafından kullanılıyor")), qPrintable(message));
        QCOMPARE(districts.state(), DatasetState::Insert);
        QCOMPARE(districts.text(QStringLiteral("Semtler")), QStringLiteral("Moda"));

        holder.exec("ROLLBACK");
        districts.post();
        QCOMPARE(districts.state(), DatasetState::Browse);
    }

    // The advice fits what failed: only a failed post has changes waiting on the screen.
    void engineFailuresReachTheClerkInTurkish()
    {
        const QString waiting = QStringLiteral("Değişiklikleriniz ekranda duruyor");
        for (int code : {SQLITE_BUSY, SQLITE_FULL, SQLITE_READONLY, SQLITE_IOERR_WRITE, SQLITE_CORRUPT}) {
            const QString other = SqliteEngine::engineMessage(code, QStringLiteral("english words"));
            const QString post =
                SqliteEngine::engineMessage(code, QStringLiteral("english words"), SqliteEngine::EngineContext::Post);
            QVERIFY(!other.contains(QStringLiteral("english")) && !post.contains(QStringLiteral("english")));
            QVERIFY2(!other.contains(waiting), qPrintable(other));
            QVERIFY2(post.contains(waiting) || code == SQLITE_CORRUPT, qPrintable(post));
        }
        QCOMPARE(SqliteEngine::engineMessage(SQLITE_FULL, {}), QStringLiteral("Diskte yer kalmadı; yer açıp yeniden deneyin."));
        // The engine's English for a disk fault, under a code without its own text.
        QCOMPARE(SqliteEngine::engineMessage(SQLITE_ERROR, QStringLiteral("disk I/O error")),
                 QStringLiteral("Disk okunurken ya da yazılırken hata oldu; diski denetleyip yeniden deneyin."));
        QCOMPARE(SqliteEngine::engineMessage(SQLITE_CONSTRAINT, QStringLiteral("as the engine said")),
                 QStringLiteral("as the engine said"));
        QCOMPARE(SqliteEngine::findingsInTurkish(QStringLiteral(
                     "*** in database main ***\nPage 5: btreeInitPage() returns error code 11\n"
                     "Page 7: never used; row 3 missing from index x")),
                 QStringLiteral("veri dosyasının bazı sayfaları bozuk (denetimde 3 sorun görüldü)"));
        QCOMPARE(SqliteEngine::findingsInTurkish(QStringLiteral("database disk image is malformed")),
                 QStringLiteral("veri dosyasının bir sayfası bozuk"));
        QCOMPARE(SqliteEngine::findingsInTurkish(QStringLiteral("disk I/O error")),
                 QStringLiteral("disk okunurken ya da yazılırken hata oldu"));
    }

    // A store that cannot grow, as on a full disk: the post is refused in
    // Turkish with the post's advice, the typing stays, and the post goes
    // through once there is room.
    void aPostIntoAFullStoreSaysSoInTurkish()
    {
        ScratchStore store;
        Table flats(*store.db, QStringLiteral("kdgiris"));
        flats.open();
        QCOMPARE(sqlite3_exec(store.db->sqlite()->handle(), "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr), SQLITE_OK); // never below the pages in use
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Moda"));
        flats.setText(QStringLiteral("Notlar"), QString(2000, QLatin1Char('n')));
        QString message = messageOf([&] { flats.post(); });
        for (int i = 0; i < 200 && message == QLatin1String("<no error>"); ++i) {
            flats.append();
            flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Moda"));
            flats.setText(QStringLiteral("Notlar"), QString(2000, QLatin1Char('n')));
            message = messageOf([&] { flats.post(); });
        }
        QVERIFY2(message.startsWith(QStringLiteral("Diskte yer kalmadı; kayıt yazılamadı. Değişiklikleriniz ekranda "
                                                   "duruyor")),
                 qPrintable(message));
        QVERIFY2(withoutEnglish(message), qPrintable(message));
        QCOMPARE(flats.state(), DatasetState::Insert);
        QCOMPARE(sqlite3_exec(store.db->sqlite()->handle(), "PRAGMA max_page_count = 1073741823", nullptr, nullptr, nullptr), SQLITE_OK);
        flats.post();
        QCOMPARE(flats.state(), DatasetState::Browse);
    }

    void notNumbersAndBrokenTextAreRefusedNotAltered()
    {
        ScratchStore store;
        Table flats(*store.db, QStringLiteral("kdgiris"));
        flats.open();
        flats.append();
        for (const char* word : {"NaN", "nan", "inf", "-inf", "Infinity"}) {
            QCOMPARE(messageOf([&] { flats.setText(QStringLiteral("Fiyati"), QString::fromLatin1(word)); }),
                     QStringLiteral("'%1' is not a valid floating point value for field 'Fiyati'").arg(word));
        }
        const QString lone = QStringLiteral("Ali") + QChar(0xD83D) + QStringLiteral("Veli");
        const QString refused = messageOf([&] { flats.setText(QStringLiteral("Isim"), lone); });
        QVERIFY2(refused.contains(QStringLiteral("bozuk")), qPrintable(refused));
        QVERIFY(messageOf([&] { flats.setText(QStringLiteral("Notlar"), QString(QChar(0xDC00))); })
                    .contains(QStringLiteral("bozuk")));
        QCOMPARE(flats.text(QStringLiteral("Isim")), QString());
        const QString whole = QStringLiteral("Ali ") + QString::fromUcs4(U"\U0001F3E0");
        flats.setText(QStringLiteral("Notlar"), whole); // a real pair is kept as it is
        QCOMPARE(flats.text(QStringLiteral("Notlar")), whole);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
