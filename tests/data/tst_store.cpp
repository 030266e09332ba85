// The store as the program finds it on disk: created complete in an empty
// folder, checked against the catalogue, refused untouched when broken.
#include "platform/engine/dataerror.h"
#include "support/testsupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <algorithm>

namespace {

// Runs statements on the file through a connection of its own.
QList<QVariantList> onFile(const QString& path, const QString& sql)
{
    QList<QVariantList> rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("inspect"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        for (const QString& statement : sql.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            if (!query.exec(statement))
                qWarning() << query.lastError().text();
            while (query.next()) {
                QVariantList row;
                for (int i = 0; i < query.record().count(); ++i)
                    row << query.value(i);
                rows << row;
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("inspect"));
    return rows;
}

QByteArray fingerprint(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QString refusal(const QString& folder)
{
    try {
        Catalogue::openStore(folder);
    } catch (const DataError& error) {
        return error.message();
    }
    return {};
}

} // namespace

class StoreTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void anEmptyFolderGetsEveryTableAndTheShippedData()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("evlora.sqlite"));
        QVERIFY(!QFile::exists(path));
        Catalogue::openStore(folder.path()).reset();
        QVERIFY(QFile::exists(path));

        const auto tables = onFile(path, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                                        "AND name NOT LIKE 'sqlite_%' ORDER BY name"));
        QStringList names;
        for (const auto& row : tables)
            names << row.at(0).toString();
        // The fourteen, and beside them the tables later versions added.
        QStringList expected{"arsa", "emlaktanimlama", "gosterilenkd", "gosterilensd", "il", "kdgiris",
                             "kegiris", "kiralanandaireler", "musteritalepleri", "satilandaireler", "sdgiris",
                             "segiris", "semtler", "tel"};
        for (const TableSchema& added : Catalogue::addedTables())
            expected << added.name;
        std::sort(expected.begin(), expected.end());
        QCOMPARE(names, expected);

        QCOMPARE(onFile(path, QStringLiteral("SELECT count(*) FROM il")).at(0).at(0).toInt(), 81);
        QCOMPARE(onFile(path, QStringLiteral("SELECT count(*) FROM il WHERE Il IN ('İstanbul','Iğdır','Şırnak')"))
                     .at(0).at(0).toInt(), 3);
        QCOMPARE(onFile(path, QStringLiteral("SELECT count(*) FROM emlaktanimlama WHERE EmlakTipi IN "
                                             "('Daire','Arsa','Arazi','Dükkan','Villa')")).at(0).at(0).toInt(), 5);
        QVERIFY(onFile(path, QStringLiteral("SELECT count(*) FROM semtler")).at(0).at(0).toInt() >= 10);

        // Opening again neither recreates nor duplicates anything.
        Catalogue::openStore(folder.path()).reset();
        QCOMPARE(onFile(path, QStringLiteral("SELECT count(*) FROM il")).at(0).at(0).toInt(), 81);
    }

    void everyColumnIsAsCatalogued()
    {
        if (storesOnServer())
            QSKIP("the file's own columns; a server's are checked against the catalogue at every open");
        ScratchStore store;
        const QString path = store.path();
        store.db.reset();
        for (const TableSchema& table : Catalogue::tables()) {
            const auto columns = onFile(path, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table.name));
            QCOMPARE(columns.size(), table.fields.size());
            for (int i = 0; i < columns.size(); ++i) {
                QCOMPARE(columns.at(i).at(1).toString(), table.fields.at(i).name);
                QCOMPARE(columns.at(i).at(2).toString(), declaredSqlType(table.fields.at(i)));
            }
        }
        // Names a statement must spell exactly, Turkish letters and the blank included.
        QVERIFY(Catalogue::table(QStringLiteral("sdgiris")).field(QStringLiteral("Döviz")));
        QVERIFY(Catalogue::table(QStringLiteral("emlaktanimlama")).field(QStringLiteral("Açıklama")));
        QVERIFY(Catalogue::table(QStringLiteral("gosterilenkd.db")).field(QStringLiteral("Ev Tel")));
        QVERIFY(!Catalogue::table(QStringLiteral("kdgiris")).field(QStringLiteral("Döviz")));
        QVERIFY(!Catalogue::table(QStringLiteral("kegiris")).field(QStringLiteral("Yil")));
    }

    void catalogueRules()
    {
        int required = 0;
        for (const TableSchema& table : Catalogue::tables())
            for (const FieldSchema& field : table.fields)
                required += field.required ? 1 : 0;
        QCOMPARE(required, 1);
        QVERIFY(Catalogue::table(QStringLiteral("kdgiris")).field(QStringLiteral("Semtadi"))->required);
        QCOMPARE(Catalogue::table(QStringLiteral("semtler")).field(QStringLiteral("Semtler"))->size, 15);
        QCOMPARE(Catalogue::table(QStringLiteral("emlaktanimlama")).field(QStringLiteral("EmlakTipi"))->size, 20);
        const FieldSchema* floor = Catalogue::table(QStringLiteral("musteritalepleri")).field(QStringLiteral("Kat"));
        QVERIFY(floor->size >= QStringLiteral("Farketmez").size());
        QCOMPARE(floor->choices.last(), QStringLiteral("Farketmez"));
        // Every offered value fits its field.
        for (const TableSchema& table : Catalogue::tables())
            for (const FieldSchema& field : table.fields)
                for (const QString& item : field.choices)
                    QVERIFY2(item.size() <= field.size, qPrintable(table.name + "." + field.name + ": " + item));
        QCOMPARE(Catalogue::table(QStringLiteral("arsa")).field(QStringLiteral("Durum"))->choices,
                 (QStringList{"Satıldı", "Satılmadı", "Kiralandı", "Kiralanmadı"}));
        QCOMPARE(Catalogue::table(QStringLiteral("tel")).field(QStringLiteral("Faks"))->mask,
                 QStringLiteral("!\\(999\\) 999-99-99;1;_"));
        QCOMPARE(Catalogue::table(QStringLiteral("tel")).field(QStringLiteral("Il"))->lookup.table, QStringLiteral("il"));
        QCOMPARE(Catalogue::table(QStringLiteral("arsa")).field(QStringLiteral("Metre2"))->type, FieldType::Text);
    }

    void aBrokenStoreIsRefusedAndLeftAsItWas_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("table missing") << QStringLiteral("DROP TABLE kdgiris") << QStringList{"kdgiris"};
        QTest::newRow("field missing") << QStringLiteral("ALTER TABLE arsa DROP COLUMN Doviz")
                                       << QStringList{"arsa", "Doviz"};
        QTest::newRow("field of another type")
            << QStringLiteral("DROP TABLE il; CREATE TABLE il (Il INTEGER)") << QStringList{"il", "Il"};
    }

    void aBrokenStoreIsRefusedAndLeftAsItWas()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, named);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("evlora.sqlite"));
        Catalogue::openStore(folder.path()).reset();
        onFile(path, damage);
        const QByteArray before = fingerprint(path);

        const QString message = refusal(folder.path());
        for (const QString& name : named)
            QVERIFY2(message.contains(QLatin1Char('\'') + name + QLatin1Char('\'')), qPrintable(message));
        QCOMPARE(fingerprint(path), before);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")) || QFile(path + QStringLiteral("-wal")).size() == 0);
    }

    void aFileThatIsNoStoreIsRefused()
    {
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("evlora.sqlite")));
        file.open(QIODevice::WriteOnly);
        file.write("Bu bir veri dosyası değil, sadece bir not.\n");
        file.close();
        QVERIFY(refusal(folder.path()).contains(QStringLiteral("evlora.sqlite")));
    }

    void anUnwritableFolderIsReportedNotCrashed()
    {
        QVERIFY(!refusal(QStringLiteral("/proc/evlora-yok")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(StoreTest)
#include "tst_store.moc"
