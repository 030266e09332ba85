#include "logs/showingplaces.h"

#include "kit/behaviours/keyboardaccess.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/screenkit.h"
#include "kit/screens.h"
#include "logs/showingentry.h"
#include "data/shownlistings.h"
#include "matching/findingswindow.h"
#include "matching/matchrules.h"
#include "platform/controls/dbmemo.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/rowstream.h"
#include "platform/engine/table.h"
#include "platform/engine/turkishtext.h"
#include "platform/system/errorreporter.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTableWidget>

using namespace Matching;

namespace ShowingPlaces {

namespace {

const QString ActionName = QStringLiteral("ShowingPlaces");
const QString Free = QStringLiteral("…");
const QString Linked = QStringLiteral("✔");

// Where the picker's choices stand: the list's own row of choices, left
// free when the list offers no criterion or margin.
constexpr int ChoiceTop = 52;
constexpr int Left = 10;

// The place memos give up the room of their action on the right.
constexpr int ActionSide = 26;
constexpr int ActionGap = 4;

struct Column {
    QString field;
    QString title;
};

QList<Column> columnsOf(const RegisterRule& r)
{
    const bool land = r.id == Register::Land;
    QList<Column> columns{{r.districtField, QStringLiteral("Semt")},
                          {QStringLiteral("Metre2"), QStringLiteral("M²")},
                          {QStringLiteral("Fiyati"), QStringLiteral("Fiyat")}};
    if (land)
        columns << Column{QStringLiteral("Imar"), QStringLiteral("İmar")}
                << Column{QStringLiteral("Ada"), QStringLiteral("Ada")}
                << Column{QStringLiteral("Parsel"), QStringLiteral("Parsel")};
    else
        columns << Column{QStringLiteral("Oda"), QStringLiteral("Oda")} << Column{QStringLiteral("Kat"), QStringLiteral("Kat")};
    columns << Column{QStringLiteral("Adres"), QStringLiteral("Adres")};
    return columns;
}

QString linkText(const ShownListings::Link& link)
{
    const auto where = registerOf(link.registerTable);
    const QString name = where ? rule(*where).caption : link.registerTable;
    return QStringLiteral("%1, No %2").arg(name).arg(link.key);
}

// F4 in a place opens the list for it.
class PickOnF4 final : public QObject {
public:
    PickOnF4(QObject* parent, std::function<void()> pick) : QObject(parent), m_pick(std::move(pick)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F4)
            return false;
        m_pick();
        return true;
    }

private:
    std::function<void()> m_pick;
};

// In the typed text: Down moves into the list; Enter picks the only listing
// left, or moves into the list when there are more.
class FilterKeys final : public QObject {
public:
    FilterKeys(QObject* parent, FindingsWindow* window) : QObject(parent), m_window(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        QTableWidget* list = m_window->list();
        if (key == Qt::Key_Down || key == Qt::Key_PageDown) {
            list->setFocus();
            return true;
        }
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        if (m_window->rows().size() == 1)
            m_window->openRow(0);
        else if (!m_window->rows().isEmpty())
            list->setFocus();
        return true;
    }

private:
    FindingsWindow* m_window;
};

class PlacesAction final : public QObject {
public:
    PlacesAction(ShowingEntry* entry, Screens& screens)
        : QObject(entry)
        , m_entry(entry)
        , m_screens(screens)
        , m_links(new ShowingLinks(screens.database(), *entry->cursor(), this))
    {
        setObjectName(ActionName);
        for (const QString& table : ShownListings::registersFor(entry->cursor()->schema().name))
            if (const auto where = registerOf(table))
                m_registers << *where;

        ScreenKit kit(entry);
        for (int place = 1; place <= ShownListings::PlaceCount; ++place) {
            DbMemo* memo = entry->place(place);
            QRect rect = memo->geometry();
            rect.setWidth(rect.width() - ActionSide - ActionGap);
            memo->setGeometry(rect);
            LabelButton* button = kit.action(QStringLiteral("LabelIlanSec%1").arg(place), Free,
                                             QRect(rect.right() + 1 + ActionGap, rect.top(), ActionSide, rect.height()));
            button->setAlignment(Qt::AlignCenter);
            framedByItself(entry, button);
            connect(button, &LabelButton::activated, this, [this, place] { showPicker(place); });
            memo->installEventFilter(new PickOnF4(memo, [this, place] { showPicker(place); }));
            // F4 acts in the place itself; the action and the place both show it.
            KeyboardAccess::showKeys(button, {QKeySequence(Qt::Key_F4)});
            KeyboardAccess::showKeys(memo, {QKeySequence(Qt::Key_F4)});
            m_buttons << button;
        }
        m_summary = new QLabel(entry);
        m_summary->setObjectName(QStringLiteral("LabelBagliIlanlar"));
        m_summary->setAccessibleName(QStringLiteral("Bağlı ilanlar"));
        m_summary->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        const QRect first = entry->place(1)->geometry();
        m_summary->setGeometry(first.left() + 150, first.top() - 26, first.width() + ActionSide + ActionGap - 150, 20);
        connect(m_links, &ShowingLinks::changed, this, &PlacesAction::showLinks);
        showLinks();
    }

    ShowingLinks* links() const { return m_links; }
    LabelButton* button(int place) const { return m_buttons.value(place - 1); }
    FindingsWindow* picker() const { return m_picker; }

    void showPicker(int place)
    {
        if (place < 1 || place > ShownListings::PlaceCount)
            return;
        m_place = place;
        if (!m_picker)
            makePicker();
        // The place's own listing, where it has one, is in its register.
        const ShownListings::Link link = m_links->link(place);
        if (const auto where = link.isSet() ? registerOf(link.registerTable) : std::nullopt)
            if (const int at = int(m_registers.indexOf(*where)); at >= 0 && at != m_registerChoice->currentIndex()) {
                const QSignalBlocker quiet(m_registerChoice);
                m_registerChoice->setCurrentIndex(at);
            }
        readRegister();
        m_picker->show();
        m_picker->raise();
        m_picker->activateWindow();
        m_filter->setFocus();
        m_filter->selectAll();
    }

private:
    void makePicker()
    {
        m_picker = new FindingsWindow(m_screens, QStringLiteral("ShowingListingPicker"),
                                      QStringLiteral("Gösterilen Yere İlan Seç"), m_entry);
        m_picker->pickWith([this](const FoundRow& row) { pick(row.key); });
        ScreenKit kit(m_picker);
        QLabel* registerCaption = kit.caption(QStringLiteral("Kayıt"), QRect(Left, ChoiceTop + 3, 40, 18));
        m_registerChoice = new QComboBox(m_picker);
        m_registerChoice->setObjectName(QStringLiteral("ComboKayit"));
        m_registerChoice->setAccessibleName(QStringLiteral("Kayıt"));
        m_registerChoice->setAccessibleDescription(QStringLiteral("Kayıt"));
        for (Register where : std::as_const(m_registers))
            m_registerChoice->addItem(rule(where).caption);
        m_registerChoice->setGeometry(Left + 44, ChoiceTop, 170, 22);
        registerCaption->setBuddy(m_registerChoice);
        QLabel* filterCaption = kit.caption(QStringLiteral("Ara"), QRect(Left + 230, ChoiceTop + 3, 30, 18));
        m_filter = new QLineEdit(m_picker);
        m_filter->setObjectName(QStringLiteral("EditAra"));
        m_filter->setAccessibleName(QStringLiteral("Ara"));
        m_filter->setAccessibleDescription(QStringLiteral("Semt, adres ya da satırdaki başka bir yazı"));
        m_filter->setPlaceholderText(QStringLiteral("Semt, adres, oda..."));
        m_filter->setClearButtonEnabled(true);
        m_filter->setGeometry(Left + 262, ChoiceTop, 250, 22);
        filterCaption->setBuddy(m_filter);
        m_filter->installEventFilter(new FilterKeys(m_filter, m_picker));
        setTabOrder(m_registerChoice, m_filter);
        setTabOrder(m_filter, m_picker->list());
        connect(m_registerChoice, &QComboBox::currentIndexChanged, this, [this] { readRegister(); });
        connect(m_filter, &QLineEdit::textChanged, this, [this] { showRows(); });
    }

    static void setTabOrder(QWidget* a, QWidget* b) { QWidget::setTabOrder(a, b); }

    Register chosen() const { return m_registers.value(std::max(0, m_registerChoice->currentIndex())); }

    // The chosen register's available listings, each with the text the
    // typed filter is compared with.
    void readRegister()
    {
        const RegisterRule& r = rule(chosen());
        m_all.clear();
        m_keys.clear();
        Statement listings(r.table);
        if (!r.availableStatus.isEmpty())
            listings.where(QStringLiteral("\"Durum\" = ?"), {Statement::text(r.availableStatus)});
        QStringList fields{QStringLiteral("No")};
        for (const Column& column : columnsOf(r))
            fields << column.field;
        // The amounts in the currency each listing names, where its register names one.
        if (const TableSchema* schema = m_screens.database().findTable(r.table))
            for (const FieldSchema& field : schema->fields)
                if (field.name == QStringLiteral("Döviz") || field.name == QStringLiteral("Doviz"))
                    fields << field.name;
        try {
            RowStream found(m_screens.database(), listings, fields, RowStream::Order::ByKey);
            const int columns = int(columnsOf(r).size());
            while (found.next()) {
                FoundRow row{.screen = r.entryScreen, .key = found.integer(0)};
                for (int c = 1; c <= columns; ++c)
                    row.cells << found.displayText(c).simplified();
                m_keys << TurkishText::searchKey(row.cells.join(QLatin1Char(' ')));
                m_all << row;
            }
        } catch (const DataError& error) {
            reportDataError(m_picker, error.message());
        }
        showRows();
    }

    void showRows()
    {
        const RegisterRule& r = rule(chosen());
        const QStringList words = TurkishText::searchKey(m_filter->text()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QList<FoundRow> rows;
        int matching = 0;
        for (int i = 0; i < m_all.size(); ++i) {
            const QString& key = m_keys.at(i);
            if (!std::all_of(words.cbegin(), words.cend(), [&](const QString& w) { return key.contains(w); }))
                continue;
            ++matching;
            if (rows.size() < PickLimit)
                rows << m_all.at(i);
        }
        QStringList titles;
        for (const Column& column : columnsOf(r))
            titles << column.title;
        m_picker->setRows(titles, rows);
        const QLocale turkish(QLocale::Turkish);
        QString notice = r.availableStatus.isEmpty()
                             ? QStringLiteral("%1: %2 ilan").arg(r.caption, turkish.toString(matching))
                             : QStringLiteral("\"%1\" durumdaki %2: %3 ilan")
                                   .arg(r.availableStatus, turkish.toLower(r.caption), turkish.toString(matching));
        if (matching > rows.size())
            notice += QStringLiteral(", ilk %1 tanesi listede; daha azı için aranacak yazıyı yazın")
                          .arg(turkish.toString(PickLimit));
        m_picker->setNotice(notice + QStringLiteral(". Enter ya da çift tıklama seçilen ilanı %1. yere yazar.")
                                         .arg(m_place));
    }

    void pick(qint64 key)
    {
        const RegisterRule& r = rule(chosen());
        try {
            if (!m_links->pick(m_place, r.table, key)) {
                errorReporter().report(m_picker, QStringLiteral("İlan artık kayıtlı değil."));
                return;
            }
        } catch (const DataError& error) {
            reportDataError(m_entry, error.message());
            return;
        }
        m_picker->hide();
        m_entry->show();
        m_entry->raise();
        m_entry->activateWindow();
        DbMemo* memo = m_entry->place(m_place);
        memo->setFocus();
        memo->moveCursor(QTextCursor::End);
    }

    void showLinks()
    {
        QStringList linked;
        for (int place = 1; place <= ShownListings::PlaceCount; ++place) {
            const ShownListings::Link link = m_links->link(place);
            LabelButton* button = m_buttons.at(place - 1);
            DbMemo* memo = m_entry->place(place);
            const QString pickHint = QStringLiteral("%1. yere kayıtlardan ilan seç").arg(place);
            if (link.isSet()) {
                linked << QString::number(place);
                button->setText(Linked);
                button->setToolTip(QStringLiteral("Bağlı ilan: %1\n%2").arg(linkText(link), pickHint));
                memo->setToolTip(QStringLiteral("Bağlı ilan: %1").arg(linkText(link)));
                memo->setAccessibleDescription(QStringLiteral("Bağlı ilan: %1").arg(linkText(link)));
            } else {
                button->setText(Free);
                button->setToolTip(pickHint);
                memo->setToolTip(QStringLiteral("Kayıtlardan ilan seç"));
                memo->setAccessibleDescription(QString());
            }
            // The caption is a mark; what it does is said in full.
            button->setAccessibleName(QStringLiteral("%1. yer için ilan seç").arg(place));
            button->setAccessibleDescription(link.isSet() ? QStringLiteral("Bağlı ilan: %1").arg(linkText(link))
                                                          : QString());
        }
        m_summary->setText(linked.isEmpty() ? QString()
                                            : QStringLiteral("İlana bağlı: %1").arg(linked.join(QStringLiteral(", "))));
        QStringList said;
        for (int place = 1; place <= ShownListings::PlaceCount; ++place)
            if (const ShownListings::Link link = m_links->link(place); link.isSet())
                said << QStringLiteral("%1. yer: %2").arg(place).arg(linkText(link));
        m_summary->setToolTip(said.join(QLatin1Char('\n')));
    }

    ShowingEntry* m_entry;
    Screens& m_screens;
    ShowingLinks* m_links;
    QList<Register> m_registers;
    QList<LabelButton*> m_buttons;
    QLabel* m_summary = nullptr;
    FindingsWindow* m_picker = nullptr;
    QComboBox* m_registerChoice = nullptr;
    QLineEdit* m_filter = nullptr;
    QList<FoundRow> m_all;
    QStringList m_keys;
    int m_place = 1;
};

PlacesAction* actionOf(const ShowingEntry* entry)
{
    return entry ? dynamic_cast<PlacesAction*>(entry->findChild<QObject*>(ActionName, Qt::FindDirectChildrenOnly))
                 : nullptr;
}

} // namespace

void install(ShowingEntry* entry, Screens& screens)
{
    if (!actionOf(entry))
        new PlacesAction(entry, screens);
}

ShowingLinks* links(const ShowingEntry* entry)
{
    const PlacesAction* action = actionOf(entry);
    return action ? action->links() : nullptr;
}

LabelButton* pickAction(const ShowingEntry* entry, int place)
{
    const PlacesAction* action = actionOf(entry);
    return action ? action->button(place) : nullptr;
}

void pickInto(const ShowingEntry* entry, int place)
{
    if (PlacesAction* action = actionOf(entry))
        action->showPicker(place);
}

FindingsWindow* picker(const ShowingEntry* entry)
{
    const PlacesAction* action = actionOf(entry);
    return action ? action->picker() : nullptr;
}

} // namespace ShowingPlaces
