#include "definitions/definitionscreens.h"

#include "platform/controls/dbedit.h"
#include "platform/controls/dbmemo.h"

namespace {

const QSize DefinitionScreenSize(350, 250);

// Footer frames of the backgrounds: the left one holds "Liste" or "Bul".
const QRect LeftFrame(78, 219, 90, 24);
const QRect RightFrame(182, 219, 90, 24);

ScreenSetup windowOf(const QString& name, const QString& caption, const QString& art)
{
    return ScreenSetup{.programName = name, .caption = caption, .clientSize = DefinitionScreenSize, .background = art};
}

} // namespace

// --- the twins ----------------------------------------------------------------

namespace DefinitionTwins {

const QList<DefinitionTwin>& all()
{
    static const QList<DefinitionTwin> rows{
        {.entryName = QStringLiteral("DistrictEntry"),
         .entryCaption = QStringLiteral("Semt Tanımı"),
         .entryArt = QStringLiteral(":/art/bg_district_entry.jpg"),
         .listName = QStringLiteral("DistrictList"),
         .listCaption = QStringLiteral("Semt Listesi"),
         .listArt = QStringLiteral(":/art/bg_district_list.jpg"),
         .tableFile = QStringLiteral("semtler.db"),
         .table = QStringLiteral("semtler"),
         .nameField = QStringLiteral("Semtler"),
         .nameCaption = QStringLiteral("Semt"),
         .descriptionField = QStringLiteral("Aciklama"),
         .searchCaption = QStringLiteral("Semt Adı")},
        {.entryName = QStringLiteral("PropertyTypeEntry"),
         .entryCaption = QStringLiteral("Emlak Tanımı"),
         .entryArt = QStringLiteral(":/art/bg_property_type_entry.jpg"),
         .listName = QStringLiteral("PropertyTypeList"),
         .listCaption = QStringLiteral("Emlak Listesi"),
         .listArt = QStringLiteral(":/art/bg_property_type_list.jpg"),
         .tableFile = QStringLiteral("emlaktanimlama.db"),
         .table = QStringLiteral("emlaktanimlama"),
         .nameField = QStringLiteral("EmlakTipi"),
         .nameCaption = QStringLiteral("Emlak Tipi"),
         .descriptionField = QStringLiteral("Açıklama"),
         .searchCaption = QStringLiteral("Emlak Tipi")},
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

FormPlan DefinitionTwin::entryPlan() const
{
    const FormColumn captioned{.x = 24, .captionWidth = 86, .controlWidth = 216, .top = 54, .pitch = 32, .height = 22};
    return FormPlan{
        .window = windowOf(entryName, entryCaption, entryArt),
        .table = tableFile,
        .rows = {captioned.row(0, nameCaption, nameField),
                 captioned.memo(86, 326, 72, QStringLiteral("Açıklama"), descriptionField)},
        // All ten buttons and, unlike the register screens, no hints.
        .navigator = QRect(24, 172, 302, 28),
        .listFrame = LeftFrame,
        .exitFrame = RightFrame,
        .listScreen = listName,
    };
}

NameListPlan DefinitionTwin::listPlan() const
{
    return NameListPlan{
        .window = windowOf(listName, listCaption, listArt),
        .table = table,
        .nameField = nameField,
        .gridFields = {QStringLiteral("No"), nameField},
        .entryScreen = entryName,
        .keyField = QStringLiteral("No"),
        .gridRect = QRect(16, 80, 318, 124),
        .searchRect = QRect(100, 48, 162, 22),
        .showAllRect = QRect(270, 47, 64, 24),
        .findFrame = LeftFrame,
        .exitFrame = RightFrame,
        .searchCaption = searchCaption,
        .searchCaptionRect = QRect(16, 48, 84, 22),
        .columnWidths = {56},
    };
}

// --- entry screen -------------------------------------------------------------

DefinitionEntry::DefinitionEntry(Screens& screens, const DefinitionTwin& twin)
    : FormEntry(screens, twin.entryPlan()), m_twin(twin)
{
}

DbEdit* DefinitionEntry::nameEdit() const
{
    return qobject_cast<DbEdit*>(control(m_twin.nameField));
}

DbMemo* DefinitionEntry::descriptionMemo() const
{
    return qobject_cast<DbMemo*>(control(m_twin.descriptionField));
}

// --- the screens --------------------------------------------------------------

ScreenMakers definitionScreens()
{
    ScreenMakers makers;
    for (const DefinitionTwin& twin : DefinitionTwins::all()) {
        makers.append({twin.entryName, [&twin](Screens& s) { return new DefinitionEntry(s, twin); }});
        makers.append({twin.listName, [&twin](Screens& s) { return new NameList(s, twin.listPlan()); }});
    }
    return makers;
}
