#include "import/paradoximport.h"

#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/paradox/paradoxerror.h"
#include "platform/paradox/paradoxtable.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QMap>
#include <QTime>
#include <algorithm>
#include <map>
#include <memory>

namespace ParadoxImport {

namespace {

using Source = Paradox::FieldType; // FieldType alone is the catalogue's

constexpr qint64 ProgressEvery = 1000;
constexpr int RecordsNamed = 5; // record numbers named per long-text note

// How a value of the Paradox field becomes the value of the catalogue field.
enum class Conversion {
    Integer, // a key
    Number,
    Text,    // text or memo as it is
    AsText,  // a number, date or flag written as text
    Bytes,   // a picture
    None,    // the two do not fit: the field is reported, not brought in
};

Conversion conversionFor(const FieldSchema& target, const Paradox::Field& source)
{
    const Source type = source.type();
    const bool integer = type == Source::Short || type == Source::Long || type == Source::AutoIncrement;
    const bool number = integer || type == Source::Number || type == Source::Currency || type == Source::Bcd;
    const bool text = type == Source::Alpha || type == Source::Memo;
    const bool valueAsText = number || type == Source::Date || type == Source::Time
                             || type == Source::Timestamp || type == Source::Logical;
    const bool bytes = type == Source::Graphic || type == Source::Blob || type == Source::Ole;
    if (!source.isKnownType())
        return Conversion::None;
    switch (target.type) {
    case FieldType::AutoIncrement: return integer ? Conversion::Integer : Conversion::None;
    case FieldType::Float:
    case FieldType::Currency: return number ? Conversion::Number : Conversion::None;
    case FieldType::Text:
    case FieldType::Memo: return text ? Conversion::Text : valueAsText ? Conversion::AsText : Conversion::None;
    case FieldType::Graphic: return bytes ? Conversion::Bytes : Conversion::None;
    }
    return Conversion::None;
}

QString catalogueTypeName(const FieldSchema& field)
{
    switch (field.type) {
    case FieldType::AutoIncrement: return QStringLiteral("otomatik numara");
    case FieldType::Text: return QStringLiteral("yazı (%1)").arg(field.size);
    case FieldType::Float: return QStringLiteral("sayı");
    case FieldType::Currency: return QStringLiteral("para");
    case FieldType::Memo: return QStringLiteral("not");
    case FieldType::Graphic: return QStringLiteral("resim");
    }
    return {};
}

// Dates and times as the program writes them in its text fields.
QString asText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Double: return QLocale::c().toString(value.toDouble(), 'g', 15);
    case QMetaType::QDate: return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QTime: return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime: return value.toDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("Evet") : QStringLiteral("Hayır");
    default: return value.toString();
    }
}

// One Paradox field written into one catalogue field.
struct Column {
    int source;
    const FieldSchema* target;
    Conversion conversion;
    // Texts longer than the field: how many, which records, the longest.
    qint64 tooLong = 0;
    QList<qint64> tooLongRecords;
    qsizetype longest = 0;
};

qint64 recordsIn(Database& store, const TableSchema& table)
{
    SqlStatement count(store, QStringLiteral("SELECT count(*) FROM %1").arg(Database::quoted(table.name)));
    return count.step() ? count.integer(0) : 0;
}

// True when the table holds the rows it was created with and nothing else:
// the starter lists, which the agency's own lists replace.
bool holdsShippedRowsOnly(Database& store, const TableSchema& table, qint64 records)
{
    if (table.seedRows.isEmpty() || records != table.seedRows.size())
        return false;
    QStringList columns;
    for (const QString& column : table.seedColumns)
        columns << Database::quoted(column);
    SqlStatement rows(store, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                 .arg(columns.join(QLatin1Char(',')), Database::quoted(table.name)));
    for (const QVariantList& seed : table.seedRows) {
        if (!rows.step())
            return false;
        for (int i = 0; i < seed.size(); ++i)
            if (rows.value(i) != seed.at(i))
                return false;
    }
    return true;
}

QVector<Column> columnsFor(const TableSchema& schema, const Paradox::Table& source, QStringList& notes)
{
    QVector<Column> columns;
    QSet<const FieldSchema*> filled;
    const QVector<Paradox::Field>& fields = source.fields();
    for (int i = 0; i < fields.size(); ++i) {
        const Paradox::Field& field = fields.at(i);
        const FieldSchema* target = schema.field(field.name);
        if (!field.isKnownType()) {
            notes << QStringLiteral("'%1' alanının türü tanınmıyor (%2): alınmadı.").arg(field.name, field.typeName());
            continue;
        }
        if (!target) {
            notes << QStringLiteral("'%1' alanı (%2) Evlora'nın '%3' tablosunda yok: alınmadı.")
                         .arg(field.name, field.typeName(), schema.name);
            continue;
        }
        if (filled.contains(target)) {
            notes << QStringLiteral("'%1' alanı tabloda iki kez var: ikincisi alınmadı.").arg(field.name);
            continue;
        }
        const Conversion conversion = conversionFor(*target, field);
        if (conversion == Conversion::None) {
            notes << QStringLiteral("'%1' alanı Paradox'ta %2, Evlora'da %3: alınmadı.")
                         .arg(field.name, field.typeName(), catalogueTypeName(*target));
            continue;
        }
        if (conversion == Conversion::AsText)
            notes << QStringLiteral("'%1' alanı Paradox'ta %2: yazıya çevrilerek alındı.").arg(field.name, field.typeName());
        filled.insert(target);
        columns << Column{i, target, conversion};
    }
    QStringList missing;
    for (const FieldSchema& field : schema.fields)
        if (!filled.contains(&field))
            missing << QStringLiteral("'%1'").arg(field.name);
    if (!missing.isEmpty())
        notes << QStringLiteral("Paradox tablosunda olmayan %1 boş kaldı.")
                     .arg(missing.size() == 1 ? QStringLiteral("%1 alanı").arg(missing.first())
                                              : QStringLiteral("%1 alanları").arg(missing.join(QStringLiteral(", "))));
    return columns;
}

QVariant storedValue(Column& column, const QVariant& value, qint64 recordNumber)
{
    const bool textual = column.target->isTextual();
    if (value.isNull())
        return textual ? QVariant(QString(QLatin1String(""))) : QVariant(); // text is never NULL in the store
    switch (column.conversion) {
    case Conversion::Integer: return value.toLongLong();
    case Conversion::Number: return value.toDouble();
    case Conversion::Bytes: return value.toByteArray();
    case Conversion::Text:
    case Conversion::AsText: break;
    case Conversion::None: return {};
    }
    const QString text = column.conversion == Conversion::Text ? value.toString() : asText(value);
    if (column.target->type == FieldType::Text && text.size() > column.target->size) {
        ++column.tooLong;
        column.longest = std::max(column.longest, text.size());
        if (column.tooLongRecords.size() < RecordsNamed)
            column.tooLongRecords << recordNumber;
    }
    return text;
}

QString tooLongNote(const Column& column)
{
    QStringList records;
    for (qint64 record : column.tooLongRecords)
        records << QString::number(record);
    if (column.tooLong > column.tooLongRecords.size())
        records << QStringLiteral("...");
    return QStringLiteral("'%1' alanı %2 harf alır; %3 kayıtta daha uzun yazı (en uzunu %4 harf) tümüyle alındı "
                          "(kayıt %5).")
        .arg(column.target->name)
        .arg(column.target->size)
        .arg(column.tooLong)
        .arg(column.longest)
        .arg(records.join(QStringLiteral(", ")));
}

void writeRecords(Database& store, const TableSchema& schema, const Paradox::Table& source, TableOutcome& outcome,
                  const Progress& progress)
{
    QVector<Column> columns = columnsFor(schema, source, outcome.notes);
    QStringList names, marks;
    int keyColumn = -1;
    for (const Column& column : columns) {
        if (column.target->isKey())
            keyColumn = int(names.size());
        names << Database::quoted(column.target->name);
        marks << QStringLiteral("?");
    }
    const QString sql = columns.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(Database::quoted(schema.name))
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
              .arg(Database::quoted(schema.name), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));

    QSet<qint64> keys;
    QVariantList values;
    const qint64 total = source.recordCount();
    source.read([&](qint64 recordNumber, const QVariantList& record) {
        ++outcome.read;
        values.clear();
        for (Column& column : columns)
            values << storedValue(column, record.at(column.source), recordNumber);
        if (keyColumn >= 0 && !values.at(keyColumn).isNull()) {
            const qint64 key = values.at(keyColumn).toLongLong();
            if (keys.contains(key))
                throw Paradox::Error(QStringLiteral("'%1' tablosunun %2. kaydının anahtarı (%3 = %4) daha önceki bir "
                                                    "kayıtta da var; hangi kaydın o numarayla anılacağı belli değil.")
                                         .arg(source.fileName())
                                         .arg(recordNumber)
                                         .arg(columns.at(keyColumn).target->name)
                                         .arg(key));
            keys.insert(key);
        }
        try {
            SqlStatement insert(store, sql);
            insert.bind(values);
            insert.step();
        } catch (const DataError& error) {
            throw DataError(QStringLiteral("'%1' tablosunun %2. kaydı yazılamadı: %3")
                                .arg(source.fileName())
                                .arg(recordNumber)
                                .arg(error.message()));
        }
        ++outcome.written;
        if (progress && outcome.written % ProgressEvery == 0)
            progress(outcome, outcome.written, total, false);
    });
    if (keyColumn >= 0)
        store.keysGivenIn(schema);
    for (const Column& column : columns)
        if (column.tooLong)
            outcome.notes << tooLongNote(column);
}

void importTable(Database& store, const TableSchema& schema, const Paradox::Table& source, const Options& options,
                 TableOutcome& outcome, const Progress& progress)
{
    const qint64 existing = recordsIn(store, schema);
    if (existing > 0) {
        const bool shipped = holdsShippedRowsOnly(store, schema, existing);
        if (options.mayReplace(schema.name)) {
            outcome.notes << QStringLiteral("Önceki %1 kayıt silinip yerine bunlar kondu.").arg(existing);
        } else if (shipped && source.recordCount() > 0) {
            outcome.notes << QStringLiteral("Kurulumla gelen hazır liste (%1 kayıt) yerine bunlar kondu.").arg(existing);
        } else {
            outcome.read = source.recordCount();
            outcome.skipped = shipped ? QStringLiteral("Paradox tablosu boş; kurulumla gelen hazır liste kaldı")
                                      : QStringLiteral("Evlora'da %1 kayıt var; dokunulmadı (yerine koymak için "
                                                       "--replace %2)")
                                            .arg(existing)
                                            .arg(schema.name);
            return;
        }
        SqlStatement wipe(store, QStringLiteral("DELETE FROM %1").arg(Database::quoted(schema.name)));
        wipe.step();
    }
    if (progress)
        progress(outcome, 0, source.recordCount(), false);
    writeRecords(store, schema, source, outcome, progress);
    if (progress)
        progress(outcome, outcome.written, source.recordCount(), true);
}

} // namespace

FolderTables findTables(const QVector<TableSchema>& catalogue, const QString& folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        throw DataError(QStringLiteral("'%1' klasörü bulunamadı.").arg(folder));
    FolderTables found;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        if (!name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive))
            continue;
        const QString table = Database::canonicalTableName(name);
        const bool known = std::any_of(catalogue.cbegin(), catalogue.cend(),
                                       [&](const TableSchema& schema) { return schema.name == table; });
        if (!known) {
            found.strangerFiles << name;
            continue;
        }
        if (found.fileFor.contains(table))
            throw DataError(QStringLiteral("'%1' ve '%2' aynı tabloyu (%3) tutuyor; hangisinin alınacağı belli değil. "
                                           "Birini klasörden çıkarıp yeniden deneyin.")
                                .arg(found.fileFor.value(table), name, table));
        found.fileFor.insert(table, name);
    }
    return found;
}

Result run(Database& store, const QString& folder, const Options& options, const Progress& progress)
{
    const QDir dir(folder);
    FolderTables found = findTables(store.catalogue(), folder);
    Result result;
    result.strangerFiles = std::move(found.strangerFiles);
    const QMap<QString, QString>& fileFor = found.fileFor;

    // Every file is opened before anything is written: a file that is not a
    // table stops the import while the store is untouched.
    std::map<QString, std::unique_ptr<Paradox::Table>> sources;
    for (auto it = fileFor.cbegin(); it != fileFor.cend(); ++it)
        sources[it.key()] = Paradox::Table::open(dir.filePath(it.value()));

    for (const TableSchema& schema : store.catalogue()) {
        TableOutcome outcome;
        outcome.table = schema.name;
        outcome.file = fileFor.value(schema.name);
        if (outcome.file.isEmpty())
            outcome.skipped = QStringLiteral("klasörde bu tablo yok");
        result.tables << outcome;
    }
    store.inTransaction([&] {
        for (int i = 0; i < store.catalogue().size(); ++i) {
            TableOutcome& outcome = result.tables[i];
            if (!outcome.file.isEmpty())
                importTable(store, store.catalogue().at(i), *sources.at(outcome.table), options, outcome, progress);
        }
    });
    return result;
}

QString summary(const Result& result)
{
    const auto row = [](const QString& table, const QString& file, const QString& read, const QString& written,
                         const QString& remark) {
        return QStringLiteral("%1 %2 %3 %4  %5")
            .arg(table.leftJustified(17), file.leftJustified(22), read.rightJustified(8), written.rightJustified(8),
                 remark)
            .trimmed();
    };
    QStringList lines{row(QStringLiteral("Tablo"), QStringLiteral("Dosya"), QStringLiteral("Okunan"),
                          QStringLiteral("Yazılan"), QStringLiteral("Durum"))};
    QStringList notes;
    for (const TableOutcome& table : result.tables) {
        lines << row(table.table, table.file.isEmpty() ? QStringLiteral("-") : table.file, QString::number(table.read),
                     QString::number(table.written),
                     table.skipped.isEmpty() ? QStringLiteral("alındı") : QStringLiteral("atlandı: ") + table.skipped);
        for (const QString& note : table.notes)
            notes << QStringLiteral("  %1: %2").arg(table.table, note);
    }
    if (!notes.isEmpty())
        lines << QString() << QStringLiteral("Notlar:") << notes;
    if (!result.strangerFiles.isEmpty())
        lines << QString()
              << QStringLiteral("Evlora'nın tanımadığı tablolar alınmadı: %1").arg(result.strangerFiles.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace ParadoxImport
