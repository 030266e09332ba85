// The program's statements as the server store runs them: marks numbered,
// names in the server's case, rows keyed, LIKE folded the Turkish way, and
// literals never touched.
#include "data/catalogue.h"
#include "platform/engine/serversql.h"

#include <QtTest>

class ServerSqlTest : public QObject {
    Q_OBJECT
private slots:
    void statementsTranslate_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("server");
        QTest::newRow("marks, names and a keyed table's rowid")
            << "SELECT rowid,\"Semtadi\" FROM kdgiris WHERE \"Fiyati\" > ? AND rowid > ? ORDER BY rowid LIMIT ? OFFSET ?"
            << "SELECT \"no\",\"semtadi\" FROM kdgiris WHERE \"fiyati\" > $1 AND \"no\" > $2 ORDER BY \"no\" LIMIT $3 "
               "OFFSET $4";
        QTest::newRow("a table without a key keeps its own rowid")
            << "SELECT rowid FROM \"il\" WHERE rowid < ?" << "SELECT \"rowid\" FROM \"il\" WHERE \"rowid\" < $1";
        QTest::newRow("literals stand as they are, quotes and marks in them too")
            << "SELECT count(*) FROM tel WHERE Ad = 'O''Neil ? \"x\" rowid' AND Soyad = ?"
            << "SELECT count(*) FROM tel WHERE Ad = 'O''Neil ? \"x\" rowid' AND Soyad = $1";
        QTest::newRow("LIKE folds both sides and escapes nothing unless asked")
            << "SELECT Ad FROM tel WHERE Ad LIKE ?" << "SELECT Ad FROM tel WHERE trkey(Ad) LIKE trkey($1) ESCAPE ''";
        QTest::newRow("LIKE keeps an escape it was given")
            << "SELECT Ad FROM tel WHERE \"Ad\" LIKE ? ESCAPE '\\'"
            << "SELECT Ad FROM tel WHERE trkey(\"ad\") LIKE trkey($1) ESCAPE '\\'";
        QTest::newRow("LIKE on a call and on qualified names")
            << "SELECT a.Ad FROM tel a, tel b WHERE coalesce(\"Ad\", '') LIKE ? OR a.Ad LIKE b.Ad"
            << "SELECT a.Ad FROM tel a, tel b WHERE trkey(coalesce(\"ad\", '')) LIKE trkey($1) ESCAPE '' OR "
               "trkey(a.Ad) LIKE trkey(b.Ad) ESCAPE ''";
        QTest::newRow("an index hint goes")
            << "SELECT rowid FROM kdgiris WHERE rowid IN (SELECT rowid FROM kdgiris INDEXED BY \"kdgiris_Fiyati\" WHERE "
               "Fiyati > ?)"
            << "SELECT \"no\" FROM kdgiris WHERE \"no\" IN (SELECT \"no\" FROM kdgiris  WHERE Fiyati > $1)";
        QTest::newRow("an insert returns its key")
            << "INSERT INTO semtler (\"Semtler\") VALUES (?)"
            << "INSERT INTO semtler (\"semtler\") VALUES ($1) RETURNING \"no\"";
        QTest::newRow("Turkish letters in a name lose only ASCII capitals")
            << "SELECT \"Döviz\" FROM sdgiris" << "SELECT \"döviz\" FROM sdgiris";
    }

    void statementsTranslate()
    {
        QFETCH(QString, program);
        QFETCH(QString, server);
        const ServerSql::Translated translated = ServerSql::translate(program, Catalogue::tables());
        QCOMPARE(QString::fromUtf8(translated.text), server);
        QCOMPARE(translated.parameters, int(program.count(QLatin1Char('?')) - server.count(QLatin1Char('?'))));
        QCOMPARE(translated.returnsKey, program.startsWith(QLatin1String("INSERT")));
    }
};

QTEST_GUILESS_MAIN(ServerSqlTest)
#include "tst_serversql.moc"
