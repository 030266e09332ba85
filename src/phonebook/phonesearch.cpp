#include "phonebook/phonesearch.h"

#include "kit/behaviours/keyboardaccess.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/recordbehaviours.h"
#include "kit/screenkit.h"
#include "kit/screens.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/database.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"
#include "platform/engine/statement.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

namespace {

// 640 × 380: title band 44 px; the criteria in two rows with the two picture
// buttons on their right, the grid below down to the bottom edge.
constexpr int CaptionX = 12;
constexpr int ControlX = 100;
constexpr int FirstRow = 56;
constexpr int SecondRow = 88;
constexpr int RowHeight = 22;
const QRect FieldBox(ControlX, FirstRow, 150, RowHeight);
const QRect MatchCaption(264, FirstRow, 86, RowHeight);
const QRect MatchBox(350, FirstRow, 160, RowHeight);
const QRect TextBox(ControlX, SecondRow, 410, RowHeight);
const QRect SearchPicture(530, 53, 96, 28);
const QRect ShowAllPicture(530, 85, 96, 28);
const QRect GridRect(10, 122, 620, 248);

// The table's columns behind the field choice, in its order.
const QStringList& fieldColumns()
{
    static const QStringList columns{QStringLiteral("Ad"), QStringLiteral("Soyad"), QStringLiteral("Il")};
    return columns;
}

QString escapedForLike(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('%'), QStringLiteral("\\%"));
    text.replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return text;
}

QComboBox* choice(QWidget* screen, const QString& name, const QString& caption, const QStringList& items,
                  const QRect& rect)
{
    auto* box = new QComboBox(screen);
    box->setObjectName(name);
    box->setAccessibleName(caption);
    box->setAccessibleDescription(caption);
    box->setEditable(false); // only its own items
    box->addItems(items);
    box->setCurrentIndex(-1);
    box->setGeometry(rect);
    return box;
}

ClickLabel* pictureButton(QWidget* screen, const QString& name, const QString& caption, const QString& art,
                          const QRect& rect)
{
    auto* button = new ClickLabel(QString(), screen);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    button->setPixmap(QPixmap(art));
    button->setGeometry(rect);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

const QList<PhoneSearchTwin>& PhoneSearch::twins()
{
    static const QList<PhoneSearchTwin> rows{
        {.programName = QStringLiteral("PhoneSearch"),
         .caption = QStringLiteral("Arama"),
         .selection = PhoneSearchTwin::Selection::Cells},
        {.programName = QStringLiteral("PhoneEdit"),
         .caption = QStringLiteral("Düzeltme"),
         .selection = PhoneSearchTwin::Selection::WholeRows},
    };
    return rows;
}

const QStringList& PhoneSearch::fieldItems()
{
    static const QStringList items{QStringLiteral("Ad"), QStringLiteral("Soyad"), QStringLiteral("İl")};
    return items;
}

const QStringList& PhoneSearch::matchItems()
{
    static const QStringList items{QStringLiteral("Eşleşir"), QStringLiteral("İle Başlar"),
                                   QStringLiteral("İle Biter"), QStringLiteral("İçerir")};
    return items;
}

Statement PhoneSearch::wholeBook()
{
    return Statement(QStringLiteral("tel"));
}

Statement PhoneSearch::statementFor(int field, int match, const QString& typed)
{
    // A blank field and an empty one are the same to the search.
    const QString column =
        QStringLiteral("coalesce(%1, '')").arg(Database::quoted(fieldColumns().value(field, fieldColumns().first())));
    const QString text = Statement::text(typed).toString();
    Statement statement = wholeBook();
    switch (match) {
    case 0: // "Eşleşir": the whole text, '%' and '_' being just characters
        return statement.where(column + QStringLiteral(" LIKE ? ESCAPE '\\'"), {escapedForLike(text)});
    case 1: // "İle Başlar"
        return statement.where(column + QStringLiteral(" LIKE ?"), {text + QLatin1Char('%')});
    case 2: // "İle Biter"
        return statement.where(column + QStringLiteral(" LIKE ?"), {QLatin1Char('%') + text});
    default: // "İçerir"
        return statement.where(column + QStringLiteral(" LIKE ?"),
                               {QLatin1Char('%') + text + QLatin1Char('%')});
    }
}

PhoneSearch::PhoneSearch(Screens& screens, const PhoneSearchTwin& twin)
    : Screen(ScreenKit::standardWindow(twin.programName, twin.caption, QSize(640, 380))), m_twin(twin)
{
    m_query = new Query(screens.database(), this);
    m_query->setObjectName(QStringLiteral("Query1"));
    m_query->setStatement(wholeBook());
    m_query->open();

    ScreenKit kit(this);
    m_field = choice(this, QStringLiteral("ComboBox1"), QStringLiteral("Alan"), fieldItems(), FieldBox);
    kit.caption(QStringLiteral("Alan"), QRect(CaptionX, FirstRow, ControlX - CaptionX, RowHeight))->setBuddy(m_field);
    m_match = choice(this, QStringLiteral("ComboBox2"), QStringLiteral("Arama Şekli"), matchItems(), MatchBox);
    kit.caption(QStringLiteral("Arama Şekli"), MatchCaption)->setBuddy(m_match);
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("Edit1"));
    m_text->setAccessibleName(QStringLiteral("Aranacak"));
    m_text->setGeometry(TextBox);
    kit.caption(QStringLiteral("Aranacak"), QRect(CaptionX, SecondRow, ControlX - CaptionX, RowHeight))
        ->setBuddy(m_text);

    m_search = pictureButton(this, QStringLiteral("ImageAra"), QStringLiteral("Ara"),
                             QStringLiteral(":/art/phone_search_button.jpg"), SearchPicture);
    connect(m_search, &ClickLabel::clicked, this, &PhoneSearch::search);
    m_showAll = pictureButton(this, QStringLiteral("ImageTumu"), QStringLiteral("Tümü"),
                              QStringLiteral(":/art/phone_showall_button.jpg"), ShowAllPicture);
    connect(m_showAll, &ClickLabel::clicked, this, &PhoneSearch::showAll);
    // The list screens' keys: F3 or Enter in a criterion searches, Ctrl+T shows all.
    for (ClickLabel* button : {m_search, m_showAll})
        button->setFocusPolicy(Qt::StrongFocus);
    KeyboardAccess::bind(m_search, KeyboardAccess::forCaption(QStringLiteral("Bul")), [this] { search(); });
    KeyboardAccess::bind(m_showAll, KeyboardAccess::forCaption(QStringLiteral("Tümünü Göster")),
                         [this] { showAll(); });
    KeyboardAccess::searchOnEnter({m_field, m_match, m_text}, m_search, [this] { search(); });

    m_grid = new DbGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(twin.caption);
    m_grid->setGeometry(GridRect);
    m_grid->setDataset(m_query, {{QStringLiteral("Ad")},
                                 {QStringLiteral("Soyad")},
                                 {QStringLiteral("Telefon")},
                                 {QStringLiteral("Ceptel")}});
    m_grid->setShowGrid(true);
    m_grid->setSelectionBehavior(twin.selection == PhoneSearchTwin::Selection::WholeRows
                                     ? QAbstractItemView::SelectRows
                                     : QAbstractItemView::SelectItems);
    // The selection shows only while the grid has the focus.
    QPalette colours = m_grid->palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Inactive, QPalette::Base));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Inactive, QPalette::Text));
    colours.setColor(QPalette::Window, ScreenKit::bodyColour());
    m_grid->setPalette(colours);
    for (int column = 0; column < 3; ++column)
        m_grid->setColumnWidth(column, 150);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    GridOpensRecord::install(m_grid, screens, QStringLiteral("PhoneEntry"), QStringLiteral("No"));

    kit.minimisePicture();
    kit.exitPicture();
}

void PhoneSearch::search()
{
    const int field = m_field->currentIndex();
    const int match = m_match->currentIndex();
    if (field < 0 || match < 0) {
        // Nothing chosen: the statement stays; a query an error left closed opens again.
        try {
            m_query->open();
        } catch (const DataError& error) {
            reportDataError(this, error.message());
        }
        return;
    }
    run(statementFor(field, match, m_text->text()));
}

void PhoneSearch::showAll()
{
    run(wholeBook());
}

void PhoneSearch::run(const Statement& statement)
{
    try {
        m_query->close();
        m_query->setStatement(statement);
        m_query->open();
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
}
