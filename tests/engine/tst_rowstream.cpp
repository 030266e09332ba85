// The streaming reader that whole-register work stands on, and the store's
// text path: UTF-8 in and out, the Turkish LIKE, folding and collation in
// SQL giving what the same rules give in C++.
#include "platform/engine/dataerror.h"
#include "platform/engine/sqliteengine.h"
#include "platform/engine/query.h"
#include "platform/engine/rowstream.h"
#include "platform/engine/table.h"
#include "platform/engine/turkishtext.h"
#include "support/testsupport.h"

#include <QSet>
#include <QSqlQuery>
#include <QtTest>
#include <algorithm>

namespace {

constexpr int Rows = 10000;

void fill(Database& db)
{
    db.inTransaction([&] {
        const QString insert =
            (QStringLiteral("INSERT INTO kdgiris (Semtadi, Fiyati, Durum) VALUES (?, ?, ?)"));
        for (int i = 1; i <= Rows; ++i)
            db.execute(insert, {QStringLiteral("Semt %1").arg(i % 50), double(1000 + i),
                            i % 3 ? QStringLiteral("Kiralanmadı") : QStringLiteral("Kiralandı")});
    });
}

// Names that trip up case folding: dotted and dotless I in every case, the
// letters with marks, a combining dot, letters of other alphabets, and the
// LIKE wildcards themselves.
const QStringList TrickyNames{
    QStringLiteral("Işık"),      QStringLiteral("IŞIK"),       QStringLiteral("ışık"),
    QStringLiteral("Isparta"),   QStringLiteral("İstanbul"),   QStringLiteral("istanbul"),
    QStringLiteral("İSTİNYE"),   QStringLiteral("Şişli"),      QStringLiteral("ŞİŞLİ"),
    QStringLiteral("Sisli"),     QStringLiteral("Çağlayan"),   QStringLiteral("ÇAĞLAYAN"),
    QStringLiteral("Üsküdar"),   QStringLiteral("GÖZTEPE"),    QStringLiteral("Kadıköy"),
    QStringLiteral("KADIKÖY"),   QStringLiteral("kadikoy"),    QStringLiteral("Âşık Veysel"),
    QStringLiteral("Îmran"),     QStringLiteral("Ûmit"),       QStringLiteral("Iğdır"),
    QStringLiteral("İğne"),      QString::fromUtf8("i\u0307stanbul"), QStringLiteral("100% net"),
    QStringLiteral("100_net"),   QStringLiteral("Ömer"),       QStringLiteral("öMER"),
    QStringLiteral("Straße"),    QStringLiteral("ǅemal"),      QStringLiteral("ΣΊΣΥΦΟΣ"),
    QStringLiteral("Ağva"),      QString(QLatin1String("")),   QStringLiteral("a!b"),
};

} // namespace

class RowStreamTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { useTurkishLocale(); }

    void everyRowExactlyOnce()
    {
        ScratchStore store;
        fill(*store.db);
        RowStream rows(*store.db, Statement(QStringLiteral("kdgiris")), {QStringLiteral("no"), QStringLiteral("Fiyati")});
        QCOMPARE(rows.columnCount(), 2);
        QCOMPARE(rows.column(QStringLiteral("FIYATI")), 1);
        QSet<qint64> seen;
        double sum = 0;
        while (rows.next()) {
            const qint64 key = rows.integer(0);
            QVERIFY2(!seen.contains(key), qPrintable(QString::number(key)));
            seen.insert(key);
            QCOMPARE(rows.number(1), 1000.0 + double(key));
            sum += rows.number(QStringLiteral("Fiyati"));
        }
        QCOMPARE(seen.size(), Rows);
        QCOMPARE(*std::min_element(seen.begin(), seen.end()), qint64(1));
        QCOMPARE(*std::max_element(seen.begin(), seen.end()), qint64(Rows));
        QCOMPARE(sum, 1000.0 * Rows + double(Rows) * (Rows + 1) / 2);
        QCOMPARE(rows.rowsRead(), qint64(Rows));
        QVERIFY(!rows.isOpen());
        QVERIFY(!rows.next()); // stays at the end
        QVERIFY(messageOf([&] { rows.number(1); }).contains(QStringLiteral("No current row")));

        // With a condition and bound values: only its rows, each once; in key
        // order when asked for it.
        RowStream some(*store.db,
                       Statement(QStringLiteral("kdgiris"))
                           .where(QStringLiteral("Semtadi = ? AND Durum = ?"),
                                  {QStringLiteral("Semt 7"), QStringLiteral("Kiralanmadı")}),
                       {QStringLiteral("No"), QStringLiteral("Semtadi")}, RowStream::Order::ByKey);
        QList<qint64> keys;
        while (some.next()) {
            QCOMPARE(some.text(1), QStringLiteral("Semt 7"));
            keys << some.integer(0);
        }
        QCOMPARE(keys.size(), int(std::count_if(keys.begin(), keys.end(), [](qint64 k) { return k % 50 == 7 && k % 3; })));
        QCOMPARE(keys.size(), 133); // i = 7 + 50k, k < 200, less the 67 divisible by 3
        QVERIFY(std::is_sorted(keys.begin(), keys.end()));
        QCOMPARE(keys.first(), qint64(7));
    }

    void closedHalfWayItStopsAndFreesTheStatement()
    {
        ScratchStore store;
        fill(*store.db);
        const Statement all(QStringLiteral("kdgiris"));
        {
            RowStream first(*store.db, all, {QStringLiteral("No")});
            for (int i = 0; i < 100; ++i)
                QVERIFY(first.next());
            // The same statement read again meanwhile goes its own way.
            RowStream second(*store.db, all, {QStringLiteral("No")});
            int secondRows = 0;
            while (second.next())
                ++secondRows;
            QCOMPARE(secondRows, Rows);
            QVERIFY(first.next());
            QCOMPARE(first.rowsRead(), qint64(101));

            // Writing while a reader stands half-way is not blocked.
            Table flats(*store.db, QStringLiteral("kdgiris"));
            flats.open();
            flats.append();
            flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Moda"));
            flats.post();

            first.close();
            QVERIFY(!first.isOpen());
            QVERIFY(!first.next());
            first.close(); // twice is harmless
            RowStream left(*store.db, all, {QStringLiteral("No")});
            QVERIFY(left.next()); // and one left in its scope half-way
        }
        // A reader of the same statement starts from the first row again.
        RowStream again(*store.db, all, {QStringLiteral("No")});
        int rows = 0;
        while (again.next())
            ++rows;
        QCOMPARE(rows, Rows + 1);

        // A reader that outlives its store only lets go.
        ScratchStore other;
        RowStream orphan(*other.db, all, {QStringLiteral("No")});
        QVERIFY(!orphan.next());
        RowStream open(*other.db, Statement(QStringLiteral("il")), {QStringLiteral("Il")});
        QVERIFY(open.next());
        other.db.reset();
        open.close();
    }

    // One statement run again and again with other values, as the bulk
    // comparison runs one per request: each run reads exactly its own rows,
    // whether the last run was read to its end or left half-way.
    void rerunReadsEachRunsOwnRows()
    {
        ScratchStore store;
        fill(*store.db);
        const auto priced = [](double low, double high) {
            return Statement(QStringLiteral("kdgiris"))
                .where(QStringLiteral("\"Fiyati\" >= ? AND \"Fiyati\" <= ?"), {low, high});
        };
        RowStream stream(*store.db, priced(1001, 1010), {QStringLiteral("Fiyati")});
        const QList<std::pair<double, double>> runs{{1001, 1010}, {2000, 2004}, {5000, 4000}, {1001, 1003}};
        for (int round = 0; round < 2; ++round) {
            for (const auto& [low, high] : runs) {
                stream.rerun(priced(low, high).values());
                QStringList read;
                while (stream.next())
                    read << stream.text(0);
                QStringList expected;
                for (int price = int(low); price <= int(high); ++price)
                    expected << QString::number(price);
                QCOMPARE(read, expected);
                QVERIFY(!stream.isOpen());
                QVERIFY(!stream.next()); // past the end stays there
            }
            stream.rerun(priced(1001, 9000).values());
            QVERIFY(stream.next()); // left half-way; the next run starts afresh
        }
        stream.rerun(priced(1, 0).values());
        QVERIFY(!stream.next());
    }

    void valuesReadAsTheDatasetReadsThem()
    {
        ScratchStore store;
        Table flats(*store.db, QStringLiteral("kdgiris"));
        flats.open();
        flats.append();
        flats.setText(QStringLiteral("Semtadi"), QStringLiteral("Moda"));
        flats.setText(QStringLiteral("Fiyati"), QStringLiteral("1.500,50"));
        flats.setText(QStringLiteral("Metre2"), QStringLiteral("85,5"));
        flats.post();
        RowStream rows(*store.db, Statement(QStringLiteral("kdgiris")),
                       {QStringLiteral("Semtadi"), QStringLiteral("Fiyati"), QStringLiteral("Metre2"),
                        QStringLiteral("Oda"), QStringLiteral("Asansor")});
        QVERIFY(rows.next());
        for (const QString& field : {QStringLiteral("Semtadi"), QStringLiteral("Fiyati"), QStringLiteral("Metre2"),
                                     QStringLiteral("Oda")}) {
            QCOMPARE(rows.text(field), flats.text(field));
            QCOMPARE(rows.displayText(field), flats.displayText(field));
            QCOMPARE(rows.value(field), flats.value(field));
            // Appended after other text, the same text (an empty field adds nothing).
            QString line = QStringLiteral("ş:");
            rows.appendText(rows.column(field), line);
            QCOMPARE(line, QStringLiteral("ş:") + flats.text(field));
        }
        QCOMPARE(rows.text(QStringLiteral("Fiyati")), QStringLiteral("1500,5"));
        QVERIFY(rows.isNull(QStringLiteral("Fiyati")) == false);
        QCOMPARE(rows.utf8(0).toByteArray(), QByteArray("Moda"));

        // What the reader refuses, it refuses with the store's words.
        QCOMPARE(messageOf([&] { RowStream(*store.db, Statement(QStringLiteral("kdgiris")), {QStringLiteral("Yok")}); }),
                 QStringLiteral("Field 'Yok' not found"));
        Statement failed(QStringLiteral("kdgiris"));
        failed.where(QStringLiteral("Fiyati > ?"), {failed.number(QStringLiteral("12a"))});
        QCOMPARE(messageOf([&] { RowStream(*store.db, failed, {QStringLiteral("No")}); }), failed.failure());
        QVERIFY(messageOf([&] {
                    RowStream(*store.db, Statement(QStringLiteral("kdgiris")).where(QStringLiteral("Yok = ?"), {1}),
                              {QStringLiteral("No")});
                }).contains(QStringLiteral("Yok")));
        QVERIFY(messageOf([&] { rows.column(QStringLiteral("Durum")); }).contains(QStringLiteral("Durum")));
    }

    void everyTurkishLetterSurvivesPostAndReRead()
    {
        ScratchStore store;
        const QString letters = QStringLiteral("çğıöşüÇĞİÖŞÜ Iı İi âîû ß € ") + QString::fromUtf8("i\u0307 \U0001F600");
        Table contacts(*store.db, QStringLiteral("tel"));
        contacts.open();
        contacts.append();
        contacts.setText(QStringLiteral("Ad"), QStringLiteral("çğıöşüÇĞİÖŞÜ"));
        contacts.setText(QStringLiteral("Aciklama"), letters);
        contacts.post();
        const qint64 key = contacts.integer(QStringLiteral("No"));

        // On disk, byte for byte the UTF-8 of what was typed.
        const QString hexOf = store.db->sqlite() ? QStringLiteral("hex(%1)")
                                                  : QStringLiteral("upper(encode(convert_to(%1, 'UTF8'), 'hex'))");
        QStringList stored;
        store.db->select(QStringLiteral("SELECT %1, %2 FROM tel WHERE No = ?").arg(hexOf.arg("Ad"), hexOf.arg("Aciklama")),
                         {key}, [&](const SqlStatement& row) { stored << row.text(0) << row.text(1); });
        QCOMPARE(stored, (QStringList{QString::fromLatin1(QStringLiteral("çğıöşüÇĞİÖŞÜ").toUtf8().toHex().toUpper()),
                                      QString::fromLatin1(letters.toUtf8().toHex().toUpper())}));

        // Read back by a fresh cursor, a query bound to the text, and the reader.
        Table fresh(*store.db, QStringLiteral("tel"));
        fresh.open();
        QVERIFY(fresh.locate(QStringLiteral("No"), key));
        QCOMPARE(fresh.text(QStringLiteral("Ad")), QStringLiteral("çğıöşüÇĞİÖŞÜ"));
        QCOMPARE(fresh.text(QStringLiteral("Aciklama")), letters);
        Query exact(*store.db);
        exact.setStatement(Statement(QStringLiteral("tel")).where(QStringLiteral("Aciklama = ?"), {letters}));
        exact.open();
        QCOMPARE(exact.recordCount(), 1);
        QCOMPARE(exact.valueAt(0, exact.fieldIndex(QStringLiteral("Aciklama"))).toString(), letters);
        RowStream rows(*store.db, Statement(QStringLiteral("tel")), {QStringLiteral("Aciklama")});
        QVERIFY(rows.next());
        QCOMPARE(rows.utf8(0).toByteArray(), letters.toUtf8());
        QCOMPARE(rows.text(0), letters);
        QString appended = QStringLiteral("x");
        rows.appendText(0, appended);
        QCOMPARE(appended, QStringLiteral("x") + letters);
    }

    void likeFoldAndCollationInSqlMatchTheRulesInCpp()
    {
        ScratchStore store;
        store.db->inTransaction([&] {
            const QString insert = QStringLiteral("INSERT INTO tel (Ad) VALUES (?)");
            for (const QString& name : TrickyNames)
                store.db->execute(insert, {name});
        });
        const auto sqlRows = [&](const QString& sql, const QVariantList& values) {
            QStringList found;
            store.db->select(sql, values, [&](const SqlStatement& row) { found << row.text(0); });
            return found;
        };

        const QStringList patterns{
            "is%",  "IS%",   "ış%",   "%ık",   "sisli", "ŞİŞLİ",  "i_dir", "%ğ%",   "kad%",  "KADIKÖY", "%Ö%",
            "_ş%",  "%",     "",      "ımran", "asik%", "%stan%", "i%",    "I%",    "İ%",    "ı%",      "%e",
            "σ%",   "ǆ%",    "%SS%",  "%ß%",   "û%",    "_",      "%_%",   "100%",  "100_%", "a!b",     "%!%",
        };
        for (const QString& pattern : patterns) {
            QStringList expected;
            for (const QString& name : TrickyNames)
                if (TurkishText::like(pattern, name))
                    expected << name;
            QCOMPARE(sqlRows(QStringLiteral("SELECT Ad FROM tel WHERE Ad LIKE ? ORDER BY No"), {pattern}), expected);
        }
        for (const QString& pattern : {QStringLiteral("100!%%"), QStringLiteral("100!_%"), QStringLiteral("a!!b"),
                                       QStringLiteral("%!%%"), QStringLiteral("a!")}) {
            QStringList expected;
            for (const QString& name : TrickyNames)
                if (TurkishText::like(pattern, name, QLatin1Char('!')))
                    expected << name;
            QCOMPARE(sqlRows(QStringLiteral("SELECT Ad FROM tel WHERE Ad LIKE ? ESCAPE '!' ORDER BY No"), {pattern}),
                     expected);
        }
        // The embedded store's own LIKE: its refusals, NULLs and characters beyond the 16-bit range.
        if (store.db->sqlite()) {
            QVERIFY(messageOf([&] { sqlRows(QStringLiteral("SELECT Ad FROM tel WHERE Ad LIKE 'a' ESCAPE '!!'"), {}); })
                        .contains(QStringLiteral("single character")));
            QCOMPARE(sqlRows(QStringLiteral("SELECT quote(NULL LIKE 'a') || quote('a' LIKE NULL)"), {}),
                     QStringList{QStringLiteral("NULLNULL")});
            // '_' is one character, also one beyond the 16-bit range.
            QCOMPARE(sqlRows(QStringLiteral("SELECT ? LIKE '_ gülen'"), {QString::fromUtf8("\U0001F600 GÜLEN")}),
                     QStringList{QStringLiteral("1")});
        }

        // trfold() in SQL is fold() in C++, and TURKISH_CI sorts by it.
        QStringList folded;
        for (const QString& name : TrickyNames)
            folded << TurkishText::fold(name);
        QCOMPARE(sqlRows(QStringLiteral("SELECT trfold(Ad) FROM tel ORDER BY No"), {}), folded);
        std::sort(folded.begin(), folded.end());
        QStringList sorted;
        for (const QString& name : sqlRows(QStringLiteral("SELECT Ad FROM tel ORDER BY trfold(Ad)"), {}))
            sorted << TurkishText::fold(name);
        QCOMPARE(sorted, folded);

        // One pattern, folded once, serves every row of a statement and the
        // next run of it with another pattern.
        const auto matching = [](const QString& pattern) {
            return QString::number(std::count_if(TrickyNames.begin(), TrickyNames.end(),
                                                 [&](const QString& name) { return TurkishText::like(pattern, name); }));
        };
        const QString count = QStringLiteral("SELECT count(*) FROM tel WHERE Ad LIKE ?");
        QCOMPARE(sqlRows(count, {QStringLiteral("IS%")}), QStringList{matching(QStringLiteral("IS%"))});
        QCOMPARE(sqlRows(count, {QStringLiteral("ağ%")}), QStringList{matching(QStringLiteral("ağ%"))});
        QCOMPARE(sqlRows(count, {QStringLiteral("IS%")}), QStringList{QStringLiteral("7")});
        QCOMPARE(sqlRows(count, {QStringLiteral("ağ%")}), QStringList{QStringLiteral("1")});
        // A pattern from a column, a new one on every row.
        QStringList crossed;
        for (const QString& pattern : TrickyNames)
            for (const QString& name : TrickyNames)
                if (TurkishText::like(pattern, name))
                    crossed << name + QLatin1Char('~') + pattern;
        std::sort(crossed.begin(), crossed.end());
        QStringList found = sqlRows(QStringLiteral("SELECT a.Ad || '~' || b.Ad FROM tel a, tel b WHERE a.Ad LIKE b.Ad"), {});
        std::sort(found.begin(), found.end());
        QCOMPARE(found, crossed);
    }
};

QTEST_GUILESS_MAIN(RowStreamTest)
#include "tst_rowstream.moc"
