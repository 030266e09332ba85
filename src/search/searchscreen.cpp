#include "search/searchscreen.h"

#include "search/searchcriteria.h"
#include "kit/behaviours/amountpreview.h"
#include "kit/behaviours/digitsonlyedit.h"
#include "kit/behaviours/keyboardaccess.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/recordbehaviours.h"
#include "kit/screenkit.h"
#include "kit/screens.h"
#include "reports/reports.h"
#include "data/catalogue.h"
#include "platform/controls/dbcombobox.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/fieldlink.h"
#include "platform/controls/lookupcombobox.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"
#include "platform/engine/table.h"
#include "platform/system/errorreporter.h"
#include "search/searchcriteria.h"

#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>

namespace {

constexpr int RowHeight = 21;
constexpr int FrameHeight = 24;
ScreenSetup windowOf(const SearchSetup& search)
{
    ScreenSetup setup = ScreenKit::standardWindow(search.programName, search.caption, search.size);
    setup.colour = ScreenKit::bodyColour();
    return setup;
}

} // namespace

const QString& SearchScreen::failureMessage()
{
    static const QString message = QStringLiteral("Lütfen Girdiğiniz Bilgileri Düzelttikten Sonra Tekrar Deneyin ..!");
    return message;
}

const QString& SearchScreen::optionsTooltip()
{
    static const QString tip = QStringLiteral("Seçtiğini Seçeneğe Göre Arama Yapma");
    return tip;
}

const QString& SearchScreen::allStatuses()
{
    static const QString all = QStringLiteral("Tümü");
    return all;
}

SearchScreen::SearchScreen(Screens& screens, const SearchSetup& setup)
    : Screen(windowOf(setup)), m_screens(screens), m_search(setup)
{
    Database& db = screens.database();
    m_query = new Query(db, this);
    m_query->setObjectName(QStringLiteral("Query1"));
    m_query->setStatement(wholeRegister());
    // A register that cannot be opened stops start-up with the store's message.
    if (setup.opensAtCreation)
        m_query->open();
    CurrentWhenShown::install(this, m_query);

    m_districts = new Table(db, QStringLiteral("semtler.db"), this);
    m_districts->setObjectName(QStringLiteral("Table1"));
    m_districts->open();
    if (setup.districtsSaveAfterPost)
        SaveAfterPost::install(m_districts);

    m_grid = new DbGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(setup.caption);
    m_grid->setGeometry(Margin, 52, width() - 2 * Margin, criteriaTop() - 8 - 52);
    m_grid->setDataset(m_query, setup.columns);
    m_grid->setShowGrid(true);
    fitColumns();
    GridOpensRecord::install(m_grid, screens, setup.entryScreen, QStringLiteral("No"));

    ScreenKit kit(this);
    if (setup.minimiseIcon)
        kit.minimiseIcon();
    kit.exitIcon();
}

QLineEdit* SearchScreen::boundEdit(const QString& name, const QString& caption, const QRect& row, int captionWidth,
                                   int maxLength, bool digitsOnly)
{
    ScreenKit(this).caption(caption, QRect(row.x(), row.y(), captionWidth, RowHeight));
    QLineEdit* edit = digitsOnly ? new DigitsOnlyEdit(this) : new QLineEdit(this);
    edit->setObjectName(name);
    edit->setAccessibleName(caption);
    edit->setMaxLength(maxLength);
    edit->setGeometry(row.x() + captionWidth, row.y(), row.width() - captionWidth, RowHeight);
    return edit;
}

QLabel* SearchScreen::previewBeneath(QLineEdit* edit, int left)
{
    auto* label = new QLabel(this);
    label->setObjectName(edit->objectName() + QStringLiteral("Preview"));
    label->setAccessibleName(edit->accessibleName());
    // Right under the edit, ending where it ends; a long amount may reach under its caption.
    label->setGeometry(left, edit->y() + edit->height() + 1, edit->geometry().right() + 1 - left, 15);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    whenDressed(label, [label] { label->setStyleSheet(QStringLiteral("color: rgb(0, 90, 40); font-weight: bold;")); });
    AmountPreview::install(edit, label);
    return label;
}

void SearchScreen::fitColumns()
{
    // Widths by kind of field, never narrower than the title; the last column
    // takes what is left, so a short column set leaves no empty band.
    QHeaderView* header = m_grid->horizontalHeader();
    const QFontMetrics metrics(header->font());
    const QList<DatasetModel::Column>& columns = m_search.columns;
    for (int c = 0; c < columns.size(); ++c) {
        const FieldSchema& field = m_query->fieldSchema(m_query->fieldIndex(columns.at(c).field));
        int width = field.type == FieldType::Currency ? 112 : field.isNumeric() || field.size <= 10 ? 62 : 84;
        const QString title = columns.at(c).title.isEmpty() ? columns.at(c).field : columns.at(c).title;
        width = std::max(width, metrics.horizontalAdvance(title) + 20);
        header->resizeSection(c, width);
    }
    header->setStretchLastSection(true);
}

QLabel* SearchScreen::heading(const QString& text, const QRect& rect)
{
    QLabel* label = ScreenKit(this).caption(text, rect);
    // After the caption's own style, which it replaces.
    whenDressed(label, [label] { label->setStyleSheet(QStringLiteral("color: rgb(150, 70, 20); font-weight: bold;")); });
    return label;
}

QLabel* SearchScreen::squareMetres(const QPoint& at)
{
    return ScreenKit(this).squareMetresCaption(QRect(at, QSize(30, 16)));
}

QList<QRect> SearchScreen::footerFrames(const QList<int>& widths) const
{
    return ScreenKit::footerFrames(this, widths);
}

void SearchScreen::buildCriteria(const QList<QWidget*>& edits, const QStringList& options, const QRect& districtRow,
                                 const QRect& statusRow, const QRect& optionsRect, int captionWidth,
                                 const QList<int>& footerWidths)
{
    ScreenKit kit(this);
    const QString districtCaption = QStringLiteral("Semt Adı");
    kit.caption(districtCaption, QRect(districtRow.topLeft(), QSize(captionWidth, RowHeight)));
    m_district = new LookupComboBox(this);
    m_district->setObjectName(QStringLiteral("DBLookupComboBox1"));
    m_district->setAccessibleName(districtCaption);
    m_district->setAccessibleDescription(districtCaption);
    m_district->setGeometry(districtRow.x() + captionWidth, districtRow.y(), districtRow.width() - captionWidth,
                            RowHeight + 1);
    m_district->setSource(m_districts, Catalogue::District.field);

    // Right-aligned over the list, free to reach left of it.
    kit.caption(QStringLiteral("Arama Seçeneğini Seçin"),
                QRect(optionsRect.x() - 40, optionsRect.y() - 20, optionsRect.width() + 40, 18))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_options = new QListWidget(this);
    m_options->setObjectName(QStringLiteral("ListBox1"));
    m_options->setAccessibleName(QStringLiteral("Arama Seçeneğini Seçin"));
    m_options->setToolTip(optionsTooltip());
    m_options->setGeometry(optionsRect);
    m_options->setSelectionMode(QAbstractItemView::SingleSelection);
    m_options->addItems(options);
    m_options->setCurrentRow(-1);
    m_options->clearSelection();

    const QString statusCaption = QStringLiteral("Durum");
    kit.caption(statusCaption, QRect(statusRow.topLeft(), QSize(captionWidth, RowHeight)));
    m_status = new TypedComboBox(this);
    m_status->setObjectName(QStringLiteral("ComboBox1"));
    m_status->setAccessibleName(statusCaption);
    m_status->setAccessibleDescription(statusCaption);
    m_status->addItems(m_search.statusItems);
    m_status->setCurrentIndex(m_status->findText(allStatuses()));
    m_status->setEditText(allStatuses());
    m_status->setGeometry(statusRow.x() + captionWidth, statusRow.y(), statusRow.width() - captionWidth,
                          RowHeight + 1);

    QWidget* previous = m_grid;
    for (QWidget* next : edits + QList<QWidget*>{m_district, m_options, m_status}) {
        setTabOrder(previous, next);
        previous = next;
    }

    const QList<QRect> frames = footerFrames(footerWidths);
    m_find = kit.action(QStringLiteral("LabelBul"), QStringLiteral("Bul"), frames.at(0));
    m_showAll = kit.action(QStringLiteral("LabelTumunuGoster"), QStringLiteral("Tümünü Göster"), frames.at(1));
    // Printing is the list report's, which comes with the reports.
    m_print = kit.action(QStringLiteral("LabelYazdir"), QStringLiteral("Yazdır"), frames.at(2));
    reports::installPrintButton(m_print, m_search.report, *m_query, this);
    connect(m_find, &LabelButton::activated, this, &SearchScreen::find);
    KeyboardAccess::searchOnEnter(edits + QList<QWidget*>{m_district, m_options, m_status}, m_find);
    connect(m_showAll, &LabelButton::activated, this, &SearchScreen::showAll);
}

int SearchScreen::selectedOption() const
{
    const QList<QListWidgetItem*> selected = m_options->selectedItems();
    return selected.isEmpty() ? -1 : m_options->row(selected.first());
}

void SearchScreen::selectOption(int option)
{
    if (option < 0) {
        m_options->clearSelection();
        return;
    }
    m_options->setCurrentRow(option, QItemSelectionModel::ClearAndSelect);
}

Statement SearchScreen::wholeRegister() const
{
    return Statement(m_search.table);
}

Statement SearchScreen::statementFor(int option) const
{
    // The seven options: district, price, area, then the pairs, then all three.
    static const struct {
        bool district, price, area;
    } uses[7] = {{true, false, false}, {false, true, false}, {false, false, true}, {true, true, false},
                 {true, false, true},  {false, true, true},  {true, true, true}};
    SearchCriteria criteria(m_search.table);
    if (uses[option].district)
        criteria.inKeyOrder().where(Database::quoted(m_search.districtField) + QStringLiteral(" = ?"),
                                    {Statement::text(m_district->value())});
    if (uses[option].price)
        addPrice(criteria.range());
    if (uses[option].area)
        addArea(criteria.range());
    // Only a whole status text, in its exact letters, filters (each screen says which).
    if (const auto status = filteredStatus())
        criteria.term().where(QStringLiteral("Durum = ?"), {Statement::text(*status)});
    return criteria.statement(m_screens.database());
}

std::optional<QString> SearchScreen::filteredStatus() const
{
    const QString status = m_status->currentText();
    return statusFilters(status) ? std::optional(status) : std::nullopt;
}

void SearchScreen::find()
{
    const int option = selectedOption();
    if (option < 0 || option > 6)
        return;
    try {
        const Statement statement = statementFor(option);
        m_query->close();
        m_query->setStatement(statement);
        m_query->open();
    } catch (const std::exception&) {
        // The query stays closed, holding the statement it refused.
        m_query->close();
        errorReporter().report(this, failureMessage());
        return;
    }
    emit searched(option);
}

void SearchScreen::showAll()
{
    try {
        m_query->close();
        m_query->setStatement(wholeRegister());
        m_query->open();
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
}
