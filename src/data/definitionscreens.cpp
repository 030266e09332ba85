#include "data/definitionscreens.h"

#include "app/behaviours/pressbutton.h"
#include "app/behaviours/recordbehaviours.h"
#include "app/screenkit.h"
#include "platform/controls/dbedit.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/dbmemo.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QSize DefinitionScreenSize(350, 250);

// Footer frames of the backgrounds: the left one holds "Liste" or "Bul".
const QRect LeftFrame(78, 219, 90, 24);
const QRect RightFrame(182, 219, 90, 24);

ScreenSetup setupOf(const char* name, const char* caption, const char* art)
{
    ScreenSetup setup;
    setup.programName = QString::fromUtf8(name);
    setup.caption = QString::fromUtf8(caption);
    setup.clientSize = DefinitionScreenSize;
    setup.background = QString::fromUtf8(art);
    return setup;
}

// A field name as SQL text, quoted so a name with Turkish letters is safe too.
QString column(const char* field)
{
    return QStringLiteral("\"%1\"").arg(QString::fromUtf8(field));
}

} // namespace

// --- the twins ----------------------------------------------------------------

Statement DefinitionTwin::search(const QString& typed) const
{
    // The typed text is bound, never pasted into the statement: a quote is just
    // a character of the pattern. An empty name never begins with anything.
    const QString name = column(nameField);
    return Statement(QString::fromUtf8(table))
        .where(name + QStringLiteral(" LIKE ?"), {typed + QLatin1Char('%')})
        .where(name + QStringLiteral(" <> ''"));
}

Statement DefinitionTwin::showAll() const
{
    return Statement(QString::fromUtf8(table));
}

QList<QString> DefinitionTwin::gridFields() const
{
    return {QStringLiteral("No"), QString::fromUtf8(nameField)};
}

namespace DefinitionTwins {

const QList<DefinitionTwin>& all()
{
    static const QList<DefinitionTwin> rows{
        {"DistrictEntry", "Semt Tanımı", ":/art/bg_district_entry.jpg",
         "DistrictList", "Semt Listesi", ":/art/bg_district_list.jpg",
         "semtler.db", "semtler", "Semtler", "Semt", "Aciklama", "Semt Adı"},
        {"PropertyTypeEntry", "Emlak Tanımı", ":/art/bg_property_type_entry.jpg",
         "PropertyTypeList", "Emlak Listesi", ":/art/bg_property_type_list.jpg",
         "emlaktanimlama.db", "emlaktanimlama", "EmlakTipi", "Emlak Tipi", "Açıklama", "Emlak Tipi"},
    };
    return rows;
}

const DefinitionTwin& district()
{
    return all().at(0);
}

const DefinitionTwin& propertyKind()
{
    return all().at(1);
}

} // namespace DefinitionTwins

// --- entry screen -------------------------------------------------------------

namespace {

FormPlan entryPlanOf(const DefinitionTwin& twin)
{
    const FormColumn captioned{24, 86, 216, 54, 32, 22};
    return FormPlan{
        .window = setupOf(twin.entryName, twin.entryCaption, twin.entryArt),
        .table = QString::fromUtf8(twin.tableFile),
        .rows = {captioned.row(0, QString::fromUtf8(twin.nameLabel), QString::fromUtf8(twin.nameField)),
                 captioned.memo(86, 326, 72, QStringLiteral("Açıklama"), QString::fromUtf8(twin.descriptionField))},
        // All ten buttons and, unlike the register screens, no hints.
        .navigator = QRect(24, 172, 302, 28),
        .listFrame = LeftFrame,
        .exitFrame = RightFrame,
        .listScreen = QString::fromUtf8(twin.listName),
    };
}

} // namespace

DefinitionEntry::DefinitionEntry(Screens& screens, const DefinitionTwin& twin)
    : FormEntry(screens, entryPlanOf(twin)), m_twin(twin)
{
}

DbEdit* DefinitionEntry::nameEdit() const
{
    return qobject_cast<DbEdit*>(control(QString::fromUtf8(m_twin.nameField)));
}

DbMemo* DefinitionEntry::descriptionMemo() const
{
    return qobject_cast<DbMemo*>(control(QString::fromUtf8(m_twin.descriptionField)));
}

// --- list screen --------------------------------------------------------------

DefinitionList::DefinitionList(Screens& screens, const DefinitionTwin& twin)
    : Screen(setupOf(twin.listName, twin.listCaption, twin.listArt)), m_twin(twin)
{
    m_query = new Query(screens.database(), this);
    m_query->setObjectName(QStringLiteral("Query1"));
    m_query->setStatement(twin.showAll());
    m_query->open();

    ScreenKit kit(this);
    const QString searchLabel = QString::fromUtf8(twin.searchLabel);

    QLabel* searchCaption = kit.caption(searchLabel, QRect(16, 48, 84, 22));
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("Edit1"));
    m_search->setAccessibleName(searchLabel);
    m_search->setGeometry(100, 48, 162, 22);
    searchCaption->setBuddy(m_search);

    m_showAll = new QPushButton(QStringLiteral("Tümü"), this);
    m_showAll->setObjectName(QStringLiteral("ButtonTumu"));
    m_showAll->setAccessibleName(QStringLiteral("Tümü"));
    m_showAll->setGeometry(270, 47, 64, 24);
    connect(m_showAll, &QPushButton::clicked, this, &DefinitionList::ButtonTumuClick);

    m_grid = new DbGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(QString::fromUtf8(twin.listCaption));
    m_grid->setGeometry(16, 80, 318, 124);
    // Below the last row the grid shows the window colour: the screen's light body
    // rather than the program's dark blue.
    QPalette gridColours = m_grid->palette();
    gridColours.setColor(QPalette::Window, ScreenKit::bodyColour());
    m_grid->setPalette(gridColours);
    QList<DatasetModel::Column> columns;
    for (const QString& field : twin.gridFields())
        columns << DatasetModel::Column{field, field};
    m_grid->setDataset(m_query, columns);
    m_grid->setColumnWidth(0, 56);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    GridOpensRecord::install(m_grid, screens, QString::fromUtf8(twin.entryName), QStringLiteral("No"));

    m_find = kit.action(QStringLiteral("LabelBul"), QStringLiteral("Bul"), LeftFrame);
    connect(m_find, &PressButton::activated, this, &DefinitionList::LabelBulRelease);
    m_exit = kit.exitAction(RightFrame);
}

void DefinitionList::LabelBulRelease()
{
    run(m_twin.search(m_search->text()));
}

void DefinitionList::ButtonTumuClick()
{
    run(m_twin.showAll());
}

void DefinitionList::run(const Statement& statement)
{
    try {
        m_query->close();
        m_query->setStatement(statement);
        m_query->open();
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
}

// --- registration -------------------------------------------------------------

void registerDefinitionScreens()
{
    for (const DefinitionTwin& twin : DefinitionTwins::all()) {
        Screens::registerFactory(QString::fromUtf8(twin.entryName),
                                 [&twin](Screens& s) { return new DefinitionEntry(s, twin); });
        Screens::registerFactory(QString::fromUtf8(twin.listName),
                                 [&twin](Screens& s) { return new DefinitionList(s, twin); });
    }
}
