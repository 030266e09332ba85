#include "fuzz/checks/fuzzchecks.h"

#include "data/catalogue.h"
#include "kit/screens.h"
#include "platform/controls/lookupcombobox.h"
#include "platform/engine/database.h"
#include "platform/engine/query.h"
#include "platform/system/errorreporter.h"
#include "search/listingsearch.h"
#include "search/searchscreens.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSet>
#include <QTemporaryDir>

namespace FuzzChecks {

namespace {

struct CountingReporter : ErrorReporter {
    QStringList shown;
    void report(QWidget*, const QString& message) override { shown << message; }
};

const QStringList Districts{QStringLiteral("Kadıköy"), QStringLiteral("Beşiktaş"), QStringLiteral("O'Neil Sk."),
                            QStringLiteral("Şişli")};

// One row of a register as the check reads it back, straight from SQLite.
struct Row {
    qint64 key;
    QString district;
    double price;
    QVariant area;
    QString status;
};

// A scratch store whose five registers hold rows of every shape the bounds
// can meet, and the five search screens over it; made once per process.
struct Bench {
    QTemporaryDir folder;
    std::unique_ptr<Database> store;
    std::unique_ptr<Screens> screens;
    CountingReporter reporter;

    Bench()
    {
        setErrorReporter(&reporter);
        store = Catalogue::openStore(folder.path());
        for (const QString& district : Districts)
            insert(QStringLiteral("semtler"), {{QStringLiteral("Semtler"), district}});
        const QList<double> prices{0, 1, 99.5, 100, 100.25, 150000, -20, 1e12};
        const QStringList landAreas{QStringLiteral("100"), QStringLiteral("1.250"), QStringLiteral("100,5"),
                                    QStringLiteral("yüz"), QString(QLatin1String("")), QStringLiteral("-3"),
                                    QStringLiteral("1e3"), QStringLiteral(" 42 ")};
        const QList<double> areas{0, 50, 100, 100.5, 120, 1250, -3, 1e6};
        for (const ListingSearchTwin& twin : ListingSearch::twins()) {
            const bool land = twin.table == QLatin1String("arsa");
            for (int i = 0; i < 40; ++i) {
                const QString district = i % 5 == 4 ? QString(QLatin1String("")) : Districts.at(i % 4);
                const QString status = i % 3 == 2 ? QStringLiteral("kiralandı") : twin.statuses->at(i % twin.statuses->size());
                insert(twin.table, {{twin.districtField, district},
                                    {QStringLiteral("Fiyati"), prices.at(i % prices.size())},
                                    {QStringLiteral("Metre2"), land ? QVariant(landAreas.at((i / 2) % landAreas.size()))
                                                                     : QVariant(areas.at((i / 3) % areas.size()))},
                                    {QStringLiteral("Durum"), status}});
            }
        }
        screens = std::make_unique<Screens>(*store);
        screens->createAll(searchScreens());
    }

    void insert(const QString& table, const QList<QPair<QString, QVariant>>& values)
    {
        QStringList names, marks;
        for (const auto& [name, value] : values) {
            names << Database::quoted(name);
            marks << QStringLiteral("?");
        }
        SqlStatement statement(*store, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                           .arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        int at = 1;
        for (const auto& pair : values)
            statement.bind(at++, pair.second);
        statement.step();
    }

    QList<Row> rows(const ListingSearchTwin& twin)
    {
        QList<Row> all;
        store->select(QStringLiteral("SELECT No, %1, Fiyati, Metre2, Durum FROM %2")
                          .arg(Database::quoted(twin.districtField), twin.table),
                      {}, [&](const SqlStatement& row) {
                          all << Row{row.integer(0), row.text(1), row.column(2).real, row.value(3), row.text(4)};
                      });
        return all;
    }
};

Bench& bench()
{
    static Bench made;
    return made;
}

} // namespace

void searchCriteria(QByteArrayView bytes)
{
    if (bytes.size() < 3)
        return;
    Bench& b = bench();
    const ListingSearchTwin& twin = ListingSearch::twins().at(uchar(bytes[0]) % ListingSearch::twins().size());
    const int option = uchar(bytes[1]) % 7;
    const int districtChoice = uchar(bytes[2]) % (Districts.size() + 1);
    const QStringList typed = QString::fromUtf8(bytes.sliced(3).data(), bytes.size() - 3).split(QChar(u'\n'));

    auto* screen = b.screens->get<ListingSearch>(twin.programName);
    screen->lowerPrice()->setText(typed.value(0));
    screen->upperPrice()->setText(typed.value(1));
    screen->lowerArea()->setText(typed.value(2));
    screen->upperArea()->setText(typed.value(3));
    screen->statusBox()->setEditText(typed.value(4));
    if (districtChoice == 0)
        screen->districtBox()->clearValue();
    else if (!screen->districtBox()->pick(Districts.at(districtChoice - 1)))
        qFatal("the district box refuses a listed district");
    b.reporter.shown.clear();
    screen->selectOption(option);
    screen->find();

    const bool usesPrice = option == 1 || option == 3 || option == 5 || option == 6;
    const bool usesArea = option == 2 || option == 4 || option == 5 || option == 6;
    const bool usesDistrict = option == 0 || option == 3 || option == 4 || option == 6;
    Query* query = screen->query();
    if (!query->isActive()) {
        if (b.reporter.shown.size() != 1 || !(usesPrice || usesArea) || !query->statement().isFailed())
            qFatal("a search failed where no bound could: %s", qPrintable(b.reporter.shown.join(QLatin1Char('|'))));
        return;
    }
    if (!b.reporter.shown.isEmpty())
        qFatal("a search that ran also reported: %s", qPrintable(b.reporter.shown.first()));

    // Typed text is bound, never pasted.
    const Statement& statement = query->statement();
    if (statement.condition().contains(QLatin1Char('\'')) || statement.condition().count(QLatin1Char('?')) != statement.values().size())
        qFatal("typed values reached the statement's text: %s", qPrintable(statement.condition()));

    // The result is exactly the register's rows inside the bound values.
    const QVariantList values = statement.values();
    int next = 0;
    const QString district = usesDistrict ? values.value(next++).toString() : QString();
    const double lowPrice = usesPrice ? values.value(next++).toDouble() : 0;
    const double highPrice = usesPrice ? values.value(next++).toDouble() : 0;
    const double lowArea = usesArea ? values.value(next++).toDouble() : 0;
    const double highArea = usesArea ? values.value(next++).toDouble() : 0;
    const QString status = typed.value(4);
    const bool statusFilters = twin.statuses->contains(status);
    const bool landArea = twin.table == QLatin1String("arsa");

    QSet<qint64> expected;
    for (const Row& row : b.rows(twin)) {
        if (usesDistrict && row.district != district)
            continue;
        if (usesPrice && !(row.price > lowPrice && row.price < highPrice))
            continue;
        if (usesArea && !landArea) {
            const double area = row.area.toDouble();
            if (!(area > lowArea && area < highArea))
                continue;
        }
        if (statusFilters && row.status != status)
            continue;
        expected.insert(row.key);
    }
    QSet<qint64> found;
    const int keyColumn = query->fieldIndex(QStringLiteral("No"));
    query->fetchTo(query->recordCount() - 1);
    for (int row = 0; row < query->recordCount(); ++row)
        found.insert(query->valueAt(row, keyColumn).toLongLong());
    // A land area is read from text by the engine: its rows are only bounded
    // by the other criteria here.
    if (landArea && usesArea ? !expected.contains(found) : found != expected)
        qFatal("%s option %d found %lld rows, %lld expected", qPrintable(twin.programName), option,
               qlonglong(found.size()), qlonglong(expected.size()));
}

} // namespace FuzzChecks
