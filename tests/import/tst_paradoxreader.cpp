// The Paradox reader over tables written by pxlib: every field type the
// agency's tables use, memos in and beside the record, pictures, tables of
// many blocks, and damaged or foreign files, which must give a message that
// names the file (and the record) and never a crash.
#include "import/paradoxfixtures.h"
#include "platform/paradox/paradoxerror.h"
#include "platform/paradox/paradoxtable.h"
#include "../../fuzz/paradox/fuzzcase.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Fixtures;

namespace {

QList<QVariantList> readAllRecords(const QString& path)
{
    QList<QVariantList> rows;
    Paradox::Table::open(path)->read([&](qint64, const QVariantList& values) { rows.push_back(values); });
    return rows;
}

// The message the reading gives, or "<read>" when it succeeds.
QString failureOf(const QString& path)
{
    try {
        readAllRecords(path);
    } catch (const Paradox::Error& error) {
        return error.message();
    }
    return QStringLiteral("<read>");
}

// A table of `count` records keyed 1..count, many to a block.
bool writeNumbered(const QString& folder, int count)
{
    return write(folder, QStringLiteral("sayilar.db"),
                 {field(QStringLiteral("No"), QStringLiteral("autoinc")),
                  field(QStringLiteral("Ad"), QStringLiteral("alpha"), 200),
                  field(QStringLiteral("Not"), QStringLiteral("memo"), 20)},
                 {QJsonArray{1, QStringLiteral("Şükrü Öğüt"), QString(300, QLatin1Char('n'))}}, count);
}

} // namespace

class ParadoxReaderTest : public QObject {
    Q_OBJECT
private slots:
    void readsEveryFieldTypeTheTablesUse()
    {
        QTemporaryDir folder;
        const QString shortMemo = QStringLiteral("Bağdat Cd. ") + TurkishLetters;
        const QString sharedMemo = QString(300, QLatin1Char('a')) + TurkishLetters;  // a slot of a shared block
        const QString ownMemo = QString(6000, QLatin1Char('b')) + TurkishLetters;    // a block of its own
        const QByteArray picture = bitmap(Qt::red);
        QByteArray withHead = QByteArray::fromHex("01000001") + QByteArray(4, '\0') + picture;
        qToLittleEndian<quint32>(quint32(picture.size()), withHead.data() + 4);
        QVERIFY(write(folder.path(), QStringLiteral("hepsi.db"),
                      {field(QStringLiteral("No"), QStringLiteral("autoinc")),
                       field(QStringLiteral("Ad"), QStringLiteral("alpha"), 20),
                       field(QStringLiteral("Metre2"), QStringLiteral("number")),
                       field(QStringLiteral("Fiyati"), QStringLiteral("currency")),
                       field(QStringLiteral("Adres"), QStringLiteral("memo"), 60),
                       field(QStringLiteral("Resim"), QStringLiteral("graphic"), 10),
                       field(QStringLiteral("Kat"), QStringLiteral("short")),
                       field(QStringLiteral("Sira"), QStringLiteral("long")),
                       field(QStringLiteral("Var"), QStringLiteral("logical")),
                       field(QStringLiteral("Tutar"), QStringLiteral("bcd"), 2)},
                      {QJsonArray{7, TurkishLetters, 120.5, 1500.75, shortMemo, bytes(picture), -3, -70000, true, "-1234.56"},
                       QJsonArray{8, QStringLiteral("İ"), -0.25, 0.0, sharedMemo, bytes(withHead), 12, 70000, false, "78.9"},
                       QJsonArray{12, QJsonValue(), QJsonValue(), QJsonValue(), ownMemo}}));

        const auto table = Paradox::Table::open(folder.filePath(QStringLiteral("hepsi.db")));
        QStringList names;
        for (const Paradox::Field& f : table->fields())
            names << f.name;
        QCOMPARE(names, (QStringList{"No", "Ad", "Metre2", "Fiyati", "Adres", "Resim", "Kat", "Sira", "Var", "Tutar"}));
        QCOMPARE(table->recordCount(), 3);

        const auto rows = readAllRecords(folder.filePath(QStringLiteral("hepsi.db")));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], (QVariantList{7LL, TurkishLetters, 120.5, 1500.75, shortMemo, picture, -3LL, -70000LL, true, "-1234.56"}));
        QCOMPARE(rows[1], (QVariantList{8LL, QStringLiteral("İ"), -0.25, 0.0, sharedMemo, picture, 12LL, 70000LL, false, "78.90"}));
        QCOMPARE(rows[2].at(0), QVariant(12LL));
        QCOMPARE(rows[2].at(4).toString(), ownMemo);
        for (int empty : {1, 2, 3, 5, 6, 7, 8, 9})
            QVERIFY2(rows[2].at(empty).isNull(), qPrintable(names.at(empty)));
    }

    void readsTablesOfManyBlocksInOrder()
    {
        QTemporaryDir folder;
        QVERIFY(writeNumbered(folder.path(), 500));
        QList<qint64> numbers, keys;
        Paradox::Table::open(folder.filePath(QStringLiteral("sayilar.db")))->read([&](qint64 number, const QVariantList& row) {
            numbers << number;
            keys << row.at(0).toLongLong();
        });
        QCOMPARE(keys.size(), 500);
        QCOMPARE(keys.last(), 500);
        QCOMPARE(keys, numbers); // keys 1..500 in the order they were written
    }

    void anEmptyTableHasNoRecords()
    {
        QTemporaryDir folder;
        QVERIFY(write(folder.path(), QStringLiteral("bos.db"), {field(QStringLiteral("No"), QStringLiteral("autoinc"))}, {}));
        QCOMPARE(readAllRecords(folder.filePath(QStringLiteral("bos.db"))).size(), 0);
    }

    void aFieldOfAnUnknownTypeIsNamedAndReadEmpty()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("tur.db"));
        QVERIFY(write(folder.path(), QStringLiteral("tur.db"),
                      {field(QStringLiteral("Ad"), QStringLiteral("alpha"), 8), field(QStringLiteral("Garip"), QStringLiteral("alpha"), 4)},
                      {QJsonArray{QStringLiteral("Ali"), QStringLiteral("xyz")}}));
        QByteArray bytes = readAll(path);
        bytes[0x78 + 2] = char(0x30); // the second field's type, after the extended header
        overwrite(path, bytes);

        const auto table = Paradox::Table::open(path);
        QVERIFY(!table->fields().at(1).isKnownType());
        QVERIFY(table->fields().at(1).typeName().contains(QStringLiteral("bilinmeyen tür 0x30")));
        QCOMPARE(readAllRecords(path), (QList<QVariantList>{{QStringLiteral("Ali"), QVariant()}}));
    }

    void damagedOrForeignFilesAreNamedNeverACrash_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("messageNames");
        QTest::newRow("not a table") << "text" << QStringList{"sayilar.db", "Paradox tablosu değil"};
        QTest::newRow("empty file") << "empty" << QStringList{"sayilar.db", "Paradox tablosu değil"};
        QTest::newRow("truncated") << "truncate" << QStringList{"sayilar.db", "kayıt", "kesik"};
        QTest::newRow("block chain loops") << "loop" << QStringList{"sayilar.db", "kendi üzerine"};
        QTest::newRow("memo file cut short") << "memo-cut" << QStringList{"sayilar.mb", "kaydındaki 'Not' alanı"};
        QTest::newRow("memo file missing") << "memo-gone" << QStringList{"sayilar.mb", "1. kaydındaki 'Not' alanı"};
        QTest::newRow("record size lies") << "record-size" << QStringList{"sayilar.db", "kayıt boyu"};
        QTest::newRow("header count lies") << "count" << QStringList{"sayilar.db", "600 kayıt", "500 kayıt"};
        // Records are counted from 1: the first block's damage names the first record.
        QTest::newRow("first block's fill") << "fill" << QStringList{"sayilar.db", "1. kayıtla başlayan", "doluluğu"};
    }

    void damagedOrForeignFilesAreNamedNeverACrash()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, messageNames);
        QTemporaryDir folder;
        QVERIFY(writeNumbered(folder.path(), 500));
        const QString path = folder.filePath(QStringLiteral("sayilar.db"));
        const QString memos = folder.filePath(QStringLiteral("sayilar.mb"));
        QByteArray bytes = readAll(path);
        if (damage == QLatin1String("text"))
            bytes = "No;Ad\n1;Ali\n2;Veli\n" + QByteArray(200, ' ');
        else if (damage == QLatin1String("empty"))
            bytes.clear();
        else if (damage == QLatin1String("truncate"))
            bytes.truncate(bytes.size() * 3 / 5);
        else if (damage == QLatin1String("loop"))
            qToLittleEndian<quint16>(1, bytes.data() + qFromLittleEndian<quint16>(bytes.constData() + 2) + bytes[5] * 1024);
        else if (damage == QLatin1String("memo-cut"))
            overwrite(memos, readAll(memos).left(4096));
        else if (damage == QLatin1String("memo-gone"))
            QFile::remove(memos);
        else if (damage == QLatin1String("record-size"))
            qToLittleEndian<quint16>(40, bytes.data());
        else if (damage == QLatin1String("fill"))
            qToLittleEndian<qint16>(1, bytes.data() + qFromLittleEndian<quint16>(bytes.constData() + 2) + 4);
        else if (damage == QLatin1String("count"))
            qToLittleEndian<quint32>(600, bytes.data() + 6);
        overwrite(path, bytes);

        const QString message = failureOf(path);
        for (const QString& part : messageNames)
            QVERIFY2(message.contains(part), qPrintable(message));
    }

    // Inputs that once crashed the reader under the fuzzer, kept so that they
    // never do again.
    void casesFoundByTheFuzzerReadSafely()
    {
        int cases = 0;
        for (QDirIterator it(QStringLiteral(PARADOX_CASES), QDir::Files); it.hasNext();) {
            const QString path = it.next();
            if (!path.endsWith(QLatin1String(".md"))) {
                ParadoxFuzzing::readCase(readAll(path));
                ++cases;
            }
        }
        qInfo() << cases << "cases read";
    }
};

QTEST_GUILESS_MAIN(ParadoxReaderTest)
#include "tst_paradoxreader.moc"
