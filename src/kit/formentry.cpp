#include "kit/formentry.h"

#include "kit/behaviours/entertonextfield.h"
#include "kit/behaviours/ownerpaneltoggle.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/recordbehaviours.h"
#include "kit/behaviours/windowbuttons.h"
#include "kit/screenkit.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbedit.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/dbnavigator.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"

#include <QLabel>

namespace {
const QString SquareMetres = QStringLiteral("M²");
} // namespace

// --- layout -----------------------------------------------------------------------

FormRow FormColumn::row(int line, const QString& caption, const QString& field, const QString& heading) const
{
    const int y = top + line * pitch;
    return {caption, field, QRect(x, y, captionWidth - 4, height), QRect(x + captionWidth, y, controlWidth, height),
            heading};
}

FormRow FormColumn::memo(int memoTop, int right, int memoHeight, const QString& caption, const QString& field) const
{
    return {caption, field, QRect(x, memoTop, captionWidth - 4, height),
            QRect(x + captionWidth, memoTop, right - x - captionWidth, memoHeight)};
}

// --- the screen -------------------------------------------------------------------

FormEntry::FormEntry(Screens& screens, const FormPlan& plan)
    : Screen(plan.window), m_screens(screens), m_listScreen(plan.listScreen),
      m_rereadBeforeList(plan.rereadBeforeList)
{
    // Opening fails with the store's message when a table is missing: start-up stops there.
    m_table = new Table(screens.database(), plan.table, this);
    m_table->setObjectName(QStringLiteral("Table1"));
    m_table->open();

    ScreenKit kit(this);
    // The navigator takes no focus, so it leaves the tab order to the fields.
    m_navigator = kit.navigator(m_table, plan.navigator, plan.navigatorHints);
    for (const FormRow& row : plan.rows)
        buildRow(row);
    // Made after the owner's controls, so it lies over them; while they are
    // covered, Tab and Enter pass over them (OwnerPanelToggle).
    if (!plan.ownerPanel.isEmpty())
        m_ownerPanel = kit.ownerPanel(plan.ownerPanel);
    buildActions(plan);
    if (plan.cornerIcons) {
        kit.minimiseIcon();
        kit.exitIcon();
    } else if (plan.cornerPictures) {
        kit.minimisePicture();
        kit.exitPicture();
    }
    installBehaviours(plan);
}

void FormEntry::buildRow(const FormRow& row)
{
    ScreenKit kit(this);
    const FieldSchema* field = m_table->schema().field(row.field);
    Q_ASSERT_X(field, "FormEntry", qPrintable(row.field));
    const QString accessible = row.heading.isEmpty() ? row.caption : row.heading + QLatin1Char(' ') + row.caption;

    QWidget* control = nullptr;
    if (field->lookup.isSet()) {
        control = kit.lookup(QStringLiteral("DBLookupComboBox") + row.field, accessible, m_table, row.field,
                             lookupSource(field->lookup.table), field->lookup.field, row.controlRect);
    } else if (!field->choices.isEmpty()) {
        control = kit.dropDown(QStringLiteral("DBComboBox") + row.field, accessible, m_table, row.field,
                               row.controlRect);
    } else if (field->type == FieldType::Memo) {
        control = kit.memo(QStringLiteral("DBMemo") + row.field, accessible, m_table, row.field, row.controlRect);
    } else if (field->type == FieldType::Graphic) {
        control = kit.picture(QStringLiteral("DBImage") + row.field, accessible, m_table, row.field,
                              row.controlRect);
    } else {
        control = kit.edit(QStringLiteral("DBEdit") + row.field, accessible, m_table, row.field, row.controlRect);
    }

    if (row.captionRect.isEmpty()) {
        // Named, not shown: the background's group title stands over it.
    } else if (row.caption == SquareMetres) {
        const QRect& r = row.captionRect;
        // The picture's glyphs start a little inside it: line them up with the captions.
        kit.squareMetresCaption(QRect(r.x() - 2, r.y() + (r.height() - 16) / 2, 30, 16));
    } else {
        QLabel* caption = kit.caption(row.caption, row.captionRect);
        caption->setObjectName(QStringLiteral("Label") + row.field);
        caption->setBuddy(control);
    }

    m_controls << control;
    m_fields << row.field;
    m_captions << row.caption;
}

// One cursor per lookup table, opened when its first lookup is made.
Table* FormEntry::lookupSource(const QString& table)
{
    Table*& source = m_lookups[table];
    if (!source) {
        source = new Table(m_screens.database(), table + QStringLiteral(".db"), this);
        source->setObjectName(QStringLiteral("Table%1").arg(m_lookups.size() + 1));
        source->open();
    }
    return source;
}

void FormEntry::buildActions(const FormPlan& plan)
{
    ScreenKit kit(this);
    if (!plan.listFrame.isEmpty()) {
        m_list = kit.action(QStringLiteral("LabelListe"), QStringLiteral("Liste"), plan.listFrame);
        connect(m_list, &PressButton::activated, this, &FormEntry::showListScreen);
    }
    // Previewing the record card is wired by the reports; until then it does nothing.
    if (!plan.printFrame.isEmpty())
        m_print = kit.action(QStringLiteral("LabelYazdir"), QStringLiteral("Yazdır"), plan.printFrame);
    if (plan.exitFrame.isEmpty()) {
        // No "Çıkış" on this screen (the phone book's entry has corner pictures only).
    } else if (plan.listOnExit == ListOnExit::ClosedBefore) {
        // The list goes first, so it is never left as the active window in between.
        m_exit = kit.action(QStringLiteral("LabelCikis"), QStringLiteral("Çıkış"), plan.exitFrame);
        connect(m_exit, &PressButton::activated, this, &FormEntry::closeListScreen);
        ExitButton::install(m_exit, this);
        setExitAction(m_exit);
    } else {
        m_exit = kit.exitAction(plan.exitFrame);
        if (plan.listOnExit == ListOnExit::ClosedAfter)
            connect(m_exit, &PressButton::activated, this, &FormEntry::closeListScreen);
    }
    if (m_ownerPanel) {
        m_ownerToggle = kit.action(QStringLiteral("LabelSahibi"), OwnerPanelToggle::showCaption(),
                                   plan.ownerToggleFrame);
        OwnerPanelToggle::install(m_ownerToggle, m_ownerPanel);
    }
}

void FormEntry::installBehaviours(const FormPlan& plan)
{
    QList<QWidget*> stops;
    for (const QString& field : plan.enterStops)
        stops << control(field);
    EnterToNextField::installOnChildren(this, stops);

    if (!plan.todayField.isEmpty()) {
        m_registrationDate = qobject_cast<DbEdit*>(control(plan.todayField));
        TodayOnEnter::install(m_registrationDate);
    }

    // The list screens and the matching read the registers through SQL: where a
    // screen writes through, they see a posted record at once.
    if (plan.writeThrough != WriteThrough::None)
        SaveAfterPost::install(m_table);
    if (plan.writeThrough == WriteThrough::RegisterAndLookups) {
        for (Table* lookup : std::as_const(m_lookups))
            SaveAfterPost::install(lookup);
    }
    if (plan.refreshOnActivate)
        RefreshOnActivate::install(this, m_table);
}

QWidget* FormEntry::control(const QString& field) const
{
    const int at = int(m_fields.indexOf(field));
    return at < 0 ? nullptr : m_controls.at(at);
}

void FormEntry::showListScreen()
{
    if (m_rereadBeforeList) {
        // The list shows the register as it is now; a pending change is posted
        // first, and when that fails the list is not shown.
        try {
            m_table->refresh();
        } catch (const DataError& error) {
            reportDataError(this, error.message());
            return;
        }
    }
    m_screens.show(m_listScreen);
}

void FormEntry::closeListScreen()
{
    if (QWidget* list = m_screens.find(m_listScreen))
        list->close();
}
