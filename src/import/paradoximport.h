#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class Database;
struct TableSchema;

// Bringing an agency's existing Paradox tables into the store: every table
// of the catalogue found in a folder, with its records, keys, memos and
// pictures, in one transaction.
namespace ParadoxImport {

struct Options {
    bool replaceAll = false;
    QSet<QString> replace; // catalogue table names whose records may be replaced
    bool mayReplace(const QString& table) const { return replaceAll || replace.contains(table); }
};

// What became of one table of the catalogue.
struct TableOutcome {
    QString table;        // as the catalogue names it
    QString file;         // the Paradox file found for it; empty when none was
    qint64 read = 0;      // records read from the file
    qint64 written = 0;   // records written to the store
    QString skipped;      // why nothing was written, when nothing was
    QStringList notes;    // fields not brought in, texts longer than their field, conversions
};

struct Result {
    QVector<TableOutcome> tables; // in the catalogue's order
    QStringList strangerFiles;    // tables in the folder that the catalogue does not know
};

// Called when a table starts (done 0), as it goes, and once more when it has
// finished.
using Progress = std::function<void(const TableOutcome& table, qint64 done, qint64 total, bool finished)>;

// The catalogue's tables found in a folder (file names in any letter case),
// and the .db files there that the catalogue does not know. Throws DataError
// when the folder is missing or two files hold the same table.
struct FolderTables {
    QMap<QString, QString> fileFor; // catalogue table -> file name
    QStringList strangerFiles;
};
FolderTables findTables(const QVector<TableSchema>& catalogue, const QString& folder);

// Reads every known table in folder into store, all in one transaction.
// Throws Paradox::Error or DataError, naming the file and the record, when a
// file cannot be read or a record cannot be written; the store is then left
// exactly as it was.
Result run(Database& store, const QString& folder, const Options& options, const Progress& progress = {});

// The closing report: a line per table with the records read and written or
// why it was skipped, then the notes on fields and the files not brought in.
QString summary(const Result& result);

} // namespace ParadoxImport
