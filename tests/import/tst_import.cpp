// Bringing a folder of Paradox tables (written by pxlib) into the store:
// records, keys, memos and pictures as they were; registers with records
// left alone unless replaced; all or nothing; and the evlora-import program
// with its report and its respect for a running program.
#include "import/paradoxfixtures.h"
#include "import/paradoximport.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/folderlock.h"
#include "platform/engine/table.h"
#include "platform/paradox/paradoxerror.h"
#include "support/filesizelimit.h"
#include "support/testsupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using namespace Fixtures;

namespace {

// The rows of a statement on the store, each column as SQLite holds it.
QList<QVariantList> rowsOf(Database& store, const QString& sql)
{
    QList<QVariantList> rows;
    store.select(sql, {}, [&](const SqlStatement& statement) {
        QVariantList row;
        for (int i = 0; i < statement.columnCount(); ++i)
            row << statement.value(i);
        rows.push_back(row);
    });
    return rows;
}

qint64 countOf(Database& store, const QString& table)
{
    return rowsOf(store, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).at(0).at(0).toLongLong();
}

const ParadoxImport::TableOutcome& outcomeOf(const ParadoxImport::Result& result, const QString& table)
{
    for (const ParadoxImport::TableOutcome& outcome : result.tables)
        if (outcome.table == table)
            return outcome;
    qFatal("no outcome for %s", qPrintable(table));
}

QVariantMap flat(int key, const QString& district, const QString& notes = {})
{
    return {{QStringLiteral("No"), key}, {QStringLiteral("Semtadi"), district}, {QStringLiteral("Fiyati"), 1500.75},
            {QStringLiteral("Metre2"), 120.5}, {QStringLiteral("Durum"), QStringLiteral("Kiralanmadı")},
            {QStringLiteral("Isim"), QStringLiteral("Gülşen Işık")}, {QStringLiteral("Telefon"), QStringLiteral("(216) 555-12-34")},
            {QStringLiteral("Adres"), QStringLiteral("Moda Cd. No:5 ") + TurkishLetters}, {QStringLiteral("Notlar"), notes}};
}

struct ImportRun {
    int exitCode = -1;
    QString out, err;
};

ImportRun runProgram(const QString& dataFolder, const QStringList& arguments)
{
    QProcess program;
    program.setWorkingDirectory(dataFolder);
    program.start(QStringLiteral(EVLORA_IMPORT), arguments);
    program.waitForFinished(120000);
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromUtf8(program.readAllStandardOutput()), QString::fromUtf8(program.readAllStandardError())};
}

} // namespace

class ImportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void recordsKeysMemosAndPicturesArriveAsTheyWere()
    {
        QTemporaryDir paradox;
        const QString longNotes = QString(7000, QLatin1Char('x')) + TurkishLetters; // a block of its own
        const QString shortNotes = QStringLiteral("Kapıcı: ") + QString(250, QLatin1Char('y')); // a shared block
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("kdgiris"),
                                    {flat(5, QStringLiteral("Kadıköy"), longNotes), flat(9, QStringLiteral("Üsküdar"), shortNotes),
                                     flat(42, QStringLiteral("Şişli"))}));
        const QByteArray photo = bitmap(Qt::darkCyan);
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("tel"),
                                    {{{QStringLiteral("No"), 3}, {QStringLiteral("Ad"), QStringLiteral("İsmail")},
                                      {QStringLiteral("Soyad"), QStringLiteral("Çağlar")}, {QStringLiteral("Resim"), bytes(photo)},
                                      {QStringLiteral("Aciklama"), QStringLiteral("Öğle arası arayın")}}}));
        // The showings of a deal keep pointing at the right records.
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("gosterilenkd"),
                                    {{{QStringLiteral("Gosterilenkno"), 77}, {QStringLiteral("AdiSoyadi"), QStringLiteral("Ayşe Öz")},
                                      {QStringLiteral("Ev Tel"), QStringLiteral("(212) 444-55-66")}, {QStringLiteral("G1"), QStringLiteral("No 9 gösterildi")}}}));
        QVERIFY(QFile::rename(paradox.filePath(QStringLiteral("tel.db")), paradox.filePath(QStringLiteral("TEL.DB"))));
        QVERIFY(QFile::rename(paradox.filePath(QStringLiteral("tel.mb")), paradox.filePath(QStringLiteral("TEL.MB"))));

        ScratchStore store;
        const ParadoxImport::Result result = ParadoxImport::run(*store.db, paradox.path(), {});
        QCOMPARE(outcomeOf(result, QStringLiteral("kdgiris")).written, 3);
        QCOMPARE(outcomeOf(result, QStringLiteral("tel")).file, QStringLiteral("TEL.DB"));
        QCOMPARE(outcomeOf(result, QStringLiteral("sdgiris")).skipped, QStringLiteral("klasörde bu tablo yok"));

        QCOMPARE(rowsOf(*store.db, QStringLiteral("SELECT No, Semtadi, Fiyati, Metre2, Durum, Isim, Telefon, Adres, Notlar, "
                                                 "Depozito FROM kdgiris ORDER BY No")),
                 (QList<QVariantList>{
                     {5LL, "Kadıköy", 1500.75, 120.5, "Kiralanmadı", "Gülşen Işık", "(216) 555-12-34", "Moda Cd. No:5 " + TurkishLetters, longNotes, ""},
                     {9LL, "Üsküdar", 1500.75, 120.5, "Kiralanmadı", "Gülşen Işık", "(216) 555-12-34", "Moda Cd. No:5 " + TurkishLetters, shortNotes, ""},
                     {42LL, "Şişli", 1500.75, 120.5, "Kiralanmadı", "Gülşen Işık", "(216) 555-12-34", "Moda Cd. No:5 " + TurkishLetters, "", ""}}));
        const auto phone = rowsOf(*store.db, QStringLiteral("SELECT No, Ad, Soyad, Resim, Aciklama, Adres FROM tel"));
        QCOMPARE(phone.size(), 1);
        QCOMPARE(phone[0].mid(0, 3), (QVariantList{3LL, "İsmail", "Çağlar"}));
        QCOMPARE(phone[0].at(3).toByteArray(), photo);
        QVERIFY(!QImage::fromData(phone[0].at(3).toByteArray()).isNull());
        QCOMPARE(phone[0].mid(4), (QVariantList{"Öğle arası arayın", ""}));
        QCOMPARE(rowsOf(*store.db, QStringLiteral("SELECT Gosterilenkno, \"Ev Tel\", G1 FROM gosterilenkd")),
                 (QList<QVariantList>{{77LL, "(212) 444-55-66", "No 9 gösterildi"}}));

        // A record posted afterwards takes a key above every imported one.
        Table flats(*store.db, QStringLiteral("kdgiris"));
        flats.open();
        flats.append();
        flats.setValue(QStringLiteral("Semtadi"), QStringLiteral("Fatih"));
        flats.post();
        QCOMPARE(flats.value(QStringLiteral("No")).toLongLong(), 43);
    }

    void fieldsThatDoNotFitAreReportedAndLongTextKeptWhole()
    {
        QTemporaryDir paradox;
        const QString longName = QStringLiteral("Abdurrahman Şahinoğlu Çelikkaya"); // 31 letters where the field holds 20
        QVERIFY(write(paradox.path(), QStringLiteral("tel.db"),
                      {field(QStringLiteral("No"), QStringLiteral("autoinc")), field(QStringLiteral("Ad"), QStringLiteral("alpha"), 40),
                       field(QStringLiteral("Eski Kod"), QStringLiteral("alpha"), 5), field(QStringLiteral("Il"), QStringLiteral("number"))},
                      {QJsonArray{1, QStringLiteral("Ali"), QStringLiteral("A1"), 34}, QJsonArray{2, longName, QStringLiteral("B2"), 6.5}}));
        ScratchStore store;
        const auto result = ParadoxImport::run(*store.db, paradox.path(), {});
        const QString notes = outcomeOf(result, QStringLiteral("tel")).notes.join(QLatin1Char('\n'));
        QVERIFY2(notes.contains(QStringLiteral("'Eski Kod' alanı (yazı) Evlora'nın 'tel' tablosunda yok: alınmadı")), qPrintable(notes));
        QVERIFY2(notes.contains(QStringLiteral("'Ad' alanı 20 harf alır; 1 kayıtta daha uzun yazı (en uzunu 31 harf) tümüyle alındı (kayıt 2)")),
                 qPrintable(notes));
        QVERIFY2(notes.contains(QStringLiteral("'Il' alanı Paradox'ta sayı: yazıya çevrilerek alındı")), qPrintable(notes));
        QVERIFY2(notes.contains(QStringLiteral("'Soyad'")) && notes.contains(QStringLiteral("boş kaldı")), qPrintable(notes));
        QCOMPARE(rowsOf(*store.db, QStringLiteral("SELECT Ad, Il, Soyad FROM tel ORDER BY No")),
                 (QList<QVariantList>{{"Ali", "34", ""}, {longName, "6.5", ""}}));
        QVERIFY(ParadoxImport::summary(result).contains(QStringLiteral("tel: 'Eski Kod'")));
    }

    void registersWithRecordsAreLeftAloneUnlessReplaced()
    {
        QTemporaryDir paradox;
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("kdgiris"), {flat(1, QStringLiteral("Kadıköy"))}));
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("semtler"),
                                    {{{QStringLiteral("No"), 4}, {QStringLiteral("Semtler"), QStringLiteral("Göztepe")}}}));
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("emlaktanimlama"), {}));
        ScratchStore store;
        store.db->inTransaction([&] {
            SqlStatement own(*store.db, QStringLiteral("INSERT INTO kdgiris (No, Semtadi) VALUES (7, 'Beykoz')"));
            own.step();
        });
        const qint64 shippedKinds = countOf(*store.db, QStringLiteral("emlaktanimlama"));

        auto result = ParadoxImport::run(*store.db, paradox.path(), {});
        QCOMPARE(outcomeOf(result, QStringLiteral("kdgiris")).skipped,
                 QStringLiteral("Evlora'da 1 kayıt var; dokunulmadı (yerine koymak için --replace kdgiris)"));
        QCOMPARE(outcomeOf(result, QStringLiteral("kdgiris")).read, 1);
        QCOMPARE(rowsOf(*store.db, QStringLiteral("SELECT No, Semtadi FROM kdgiris")), (QList<QVariantList>{{7LL, "Beykoz"}}));
        // The starter list of districts gives way to the agency's own; an
        // empty table of property kinds leaves the starter list in place.
        QCOMPARE(rowsOf(*store.db, QStringLiteral("SELECT No, Semtler FROM semtler")), (QList<QVariantList>{{4LL, "Göztepe"}}));
        QCOMPARE(countOf(*store.db, QStringLiteral("emlaktanimlama")), shippedKinds);
        QVERIFY(!outcomeOf(result, QStringLiteral("emlaktanimlama")).skipped.isEmpty());

        ParadoxImport::Options replace;
        replace.replace.insert(QStringLiteral("kdgiris"));
        result = ParadoxImport::run(*store.db, paradox.path(), replace);
        QCOMPARE(outcomeOf(result, QStringLiteral("kdgiris")).written, 1);
        QCOMPARE(rowsOf(*store.db, QStringLiteral("SELECT No, Semtadi FROM kdgiris")), (QList<QVariantList>{{1LL, "Kadıköy"}}));
        QVERIFY(!outcomeOf(result, QStringLiteral("semtler")).skipped.isEmpty()); // now the agency's own: kept
    }

    void aFailureInTheLastTableLeavesTheStoreAsBefore_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("messageNames");
        // tel's memo file is read after kdgiris has been written; il comes
        // last of all and is refused before anything is written.
        QTest::newRow("memo beyond the memo file's end") << "memo" << QStringList{"'tel.mb'", "1. kaydındaki 'Adres'"};
        QTest::newRow("not a Paradox table") << "foreign" << QStringList{"'il.db'", "Paradox tablosu değil"};
    }

    void aFailureInTheLastTableLeavesTheStoreAsBefore()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, messageNames);
        QTemporaryDir paradox;
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("kdgiris"), {flat(1, QStringLiteral("Kadıköy"))}));
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("semtler"),
                                    {{{QStringLiteral("No"), 1}, {QStringLiteral("Semtler"), QStringLiteral("Moda")}}}));
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("tel"),
                                    {{{QStringLiteral("No"), 1}, {QStringLiteral("Ad"), QStringLiteral("Ali")},
                                      {QStringLiteral("Adres"), QString(500, QLatin1Char('a'))}}}));
        const QString memos = paradox.filePath(QStringLiteral("tel.mb"));
        if (damage == QLatin1String("memo"))
            overwrite(memos, readAll(memos).left(4096)); // the address now lies beyond the file's end
        else
            overwrite(paradox.filePath(QStringLiteral("il.db")), QByteArray("Il\nAdana\nAdıyaman\n").repeated(20));

        ScratchStore store;
        const auto before = rowsOf(*store.db, QStringLiteral("SELECT * FROM semtler"));
        QString message = QStringLiteral("<imported>");
        try {
            ParadoxImport::run(*store.db, paradox.path(), {});
        } catch (const Paradox::Error& error) {
            message = error.message();
        }
        for (const QString& part : messageNames)
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(countOf(*store.db, QStringLiteral("kdgiris")), 0);
        QCOMPARE(countOf(*store.db, QStringLiteral("tel")), 0);
        QCOMPARE(rowsOf(*store.db, QStringLiteral("SELECT * FROM semtler")), before);
    }

    void aRepeatedKeyStopsTheImportNamingTheRecord()
    {
        QTemporaryDir paradox;
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("kdgiris"),
                                    {flat(3, QStringLiteral("Moda")), flat(3, QStringLiteral("Fatih"))}));
        ScratchStore store;
        QString message;
        try {
            ParadoxImport::run(*store.db, paradox.path(), {});
        } catch (const Paradox::Error& error) {
            message = error.message();
        }
        QVERIFY2(message.contains(QStringLiteral("'kdgiris.db' tablosunun 2. kaydının anahtarı (No = 3)")), qPrintable(message));
        QCOMPARE(countOf(*store.db, QStringLiteral("kdgiris")), 0);
    }

    // The program itself: a store made where there was none, the report, a
    // second run that leaves the registers alone, and a folder the program has open.
    void theImportProgramReportsAndRespectsARunningEvlora()
    {
        QTemporaryDir paradox, data;
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("kdgiris"), {flat(1, QStringLiteral("Kadıköy")), flat(2, QStringLiteral("Moda"))}));
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("tel"), {}));
        overwrite(paradox.filePath(QStringLiteral("eski.db")), QByteArray("not a table"));
        overwrite(paradox.filePath(QStringLiteral("notlar.txt")), QByteArray("ignored"));

        ImportRun run = runProgram(data.path(), {paradox.path()});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("Veri dosyası oluşturuldu")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QRegularExpression(QStringLiteral("kdgiris\\s+kdgiris.db\\s+2\\s+2\\s+alındı"))), qPrintable(run.out));
        QVERIFY2(run.out.contains(QRegularExpression(QStringLiteral("tel\\s+tel.db\\s+0\\s+0\\s+alındı"))), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("Evlora'nın tanımadığı tablolar alınmadı: eski.db")), qPrintable(run.out));

        run = runProgram(data.path(), {paradox.path()});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("yedeği alındı")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("atlandı: Evlora'da 2 kayıt var")), qPrintable(run.out));

        run = runProgram(data.path(), {QStringLiteral("--replace"), QStringLiteral("kdgiris,tel"), paradox.path()});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("Önceki 2 kayıt silinip yerine bunlar kondu")), qPrintable(run.out));

        const QByteArray before = fileHash(data.filePath(Catalogue::StoreFileName));
        {
            const auto runningEvlora = FolderLock::take(data.path());
            run = runProgram(data.path(), {QStringLiteral("--replace"), paradox.path()});
        }
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Evlora bu veri klasöründe")) && run.err.contains(QStringLiteral("Aktarım yapılmadı")),
                 qPrintable(run.err));
        QCOMPARE(fileHash(data.filePath(Catalogue::StoreFileName)), before);

        run = runProgram(data.path(), {QStringLiteral("--replace=kdgiris,ofis"), paradox.path()});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(QStringLiteral("'kdgiris,ofis' Evlora'nın tablolarını saymıyor")), qPrintable(run.err));
    }
    // Asked for its version or its usage, or given an option it does not
    // know, the program answers and touches no folder; a folder holding none
    // of the catalogue's tables is refused before any store is made, so a
    // script tells a wrong folder from a good import.
    void theImportProgramAnswersItsCommandLineAndRefusesAFolderWithoutTables()
    {
        QTemporaryDir paradox, data;
        overwrite(paradox.filePath(QStringLiteral("eski.db")), QByteArray("not a table of the catalogue"));
        overwrite(paradox.filePath(QStringLiteral("notlar.txt")), QByteArray("ignored"));
        const auto untouched = [&] { return QDir(data.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden); };

        ImportRun run = runProgram(data.path(), {QStringLiteral("--version")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.startsWith(QStringLiteral("evlora-import ")) && run.out.trimmed().size() > 14, qPrintable(run.out));
        run = runProgram(data.path(), {QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("Kullanım: evlora-import")), qPrintable(run.out));
        run = runProgram(data.path(), {QStringLiteral("--hepsi"), paradox.path()});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(QStringLiteral("'--hepsi' seçeneği tanınmıyor")), qPrintable(run.err));
        QVERIFY(untouched());

        run = runProgram(data.path(), {paradox.path()});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Evlora'nın tablolarından hiçbiri yok")) &&
                     run.err.contains(QStringLiteral("kdgiris.db")) && run.err.contains(QStringLiteral("hiçbir dosya oluşturulmadı")),
                 qPrintable(run.err));
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        QVERIFY(untouched());

        // One table of the catalogue, in capitals, is enough to import.
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("semtler"), {}));
        QVERIFY(QFile::rename(paradox.filePath(QStringLiteral("semtler.db")), paradox.filePath(QStringLiteral("SEMTLER.DB"))));
        run = runProgram(data.path(), {paradox.path()});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(QFileInfo::exists(data.filePath(Catalogue::StoreFileName)));
    }

    // A disk that fills during the import: the program says so in Turkish,
    // with no advice meant for a screen, exits non-zero, and the store keeps
    // what it held.
    void anImportOntoAFullDiskLeavesTheStoreAsBefore()
    {
        QTemporaryDir paradox, data;
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("kdgiris"), {flat(1, QStringLiteral("Kadıköy"))}));
        QCOMPARE(runProgram(data.path(), {paradox.path()}).exitCode, 0);
        QVector<QVariantMap> flats;
        for (int key = 1; key <= 3000; ++key)
            flats << flat(key, QStringLiteral("Moda"), QString(800, QLatin1Char('n')));
        QVERIFY(writeCatalogueTable(paradox.path(), QStringLiteral("kdgiris"), flats));
        const QString store = data.filePath(Catalogue::StoreFileName);

        ImportRun run;
        {
            FileSizeLimit limit(QFileInfo(store).size() + 256 * 1024); // room for the backup, not the records
            QVERIFY(limit.isSet());
            run = runProgram(data.path(), {QStringLiteral("--replace"), QStringLiteral("kdgiris"), paradox.path()});
        }
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Aktarım yapılmadı; veri dosyası aktarımdan önceki gibi kaldı")),
                 qPrintable(run.err));
        QVERIFY2(!run.err.contains(QStringLiteral("ekranda")) && !run.err.contains(QStringLiteral("error")),
                 qPrintable(run.err));
        const auto opened = Catalogue::openStore(data.path());
        QCOMPARE(countOf(*opened, QStringLiteral("kdgiris")), 1);
    }
};

QTEST_MAIN(ImportTest)
#include "tst_import.moc"
