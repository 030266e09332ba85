#include "matching/customersaction.h"

#include "kit/behaviours/pressbutton.h"
#include "kit/formentry.h"
#include "kit/screenkit.h"
#include "matching/findingswindow.h"
#include "matching/listingcustomers.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"

#include <utility>

using namespace Matching;

namespace {

const QString WindowName = QStringLiteral("ListingCustomers");

class CustomersAction final : public QObject {
public:
    CustomersAction(FormEntry* entry, Screens& screens, Register where)
        : QObject(entry), m_entry(entry), m_screens(screens), m_where(where)
    {
        Table* cursor = entry->cursor();
        connect(cursor, &Table::beforePost, this,
                [this, cursor] { m_posting = cursor->state() == DatasetState::Insert; });
        connect(cursor, &Table::afterPost, this, [this] {
            if (std::exchange(m_posting, false))
                offer();
        });
    }

    // The action: the list under the criterion last chosen.
    void show()
    {
        FindingsWindow* list = window();
        fill();
        list->show();
        list->raise();
        list->activateWindow();
    }

private:
    FindingsWindow* window()
    {
        if (!m_window) {
            m_window = new FindingsWindow(m_screens, WindowName, QStringLiteral("İlana Uyan Müşteri Talepleri"), m_entry);
            m_window->offerCriterion(DefaultReverseCriterion);
            connect(m_window, &FindingsWindow::refill, this, &CustomersAction::fill);
        }
        return m_window;
    }

    QList<Customer> customers(int criterion) const
    {
        return customersFor(m_screens.database(), readListing(m_where, *m_entry->cursor()), criterion);
    }

    void fill()
    {
        const int criterion = m_window->criterion();
        try {
            const ListingValues listing = readListing(m_where, *m_entry->cursor());
            const QList<Customer> found = customersFor(m_screens.database(), listing, criterion);
            QList<FoundRow> rows;
            for (const Customer& c : found)
                rows << FoundRow{.screen = QStringLiteral("RequestEntry"),
                                 .key = c.key,
                                 .cells = {c.name, c.phones.join(QStringLiteral(", ")), c.kind, c.wish}};
            m_window->setRows({QStringLiteral("İsim"), QStringLiteral("Telefonlar"), QStringLiteral("Emlak"),
                               QStringLiteral("İstek")},
                              rows);
            m_window->setNotice(noticeFor(listing, criterion, found.size()));
        } catch (const DataError& error) {
            m_window->setRows({}, {});
            reportDataError(m_window, error.message());
        }
    }

    QString noticeFor(const ListingValues& listing, int criterion, qsizetype count) const
    {
        const QString by = criteria().at(criterion).item;
        if (!customersStatement(listing, criterion))
            return QStringLiteral("Bu ilanı hiçbir talep aramaz (durumu \"%1\").").arg(listing.status);
        if (count == 0)
            return QStringLiteral("%1: bu ilana uyan talep yok.").arg(by);
        return QStringLiteral("%1: bu ilana uyan %2 talep var; telefonları yanlarında.")
            .arg(by, QLocale().toString(qlonglong(count)));
    }

    // After a new listing is posted: the list shows itself when anyone waits for it.
    void offer()
    {
        const int criterion = m_window ? m_window->criterion() : DefaultReverseCriterion;
        try {
            if (customers(criterion).isEmpty())
                return;
        } catch (const DataError&) {
            return; // the post stands; the clerk can still ask with the action
        }
        show();
        m_window->setNotice(QStringLiteral("Yeni ilan kaydedildi. ") + m_window->notice());
    }

    FormEntry* m_entry;
    Screens& m_screens;
    const Register m_where;
    FindingsWindow* m_window = nullptr;
    bool m_posting = false;
};

} // namespace

namespace ListingCustomers {

LabelButton* install(FormEntry* entry, Screens& screens, const QRect& frame)
{
    const auto where = registerOf(entry->cursor()->schema().name);
    if (!where)
        return nullptr;
    auto* action = new CustomersAction(entry, screens, *where);
    action->setObjectName(QStringLiteral("CustomersAction"));
    LabelButton* button = ScreenKit(entry).action(QStringLiteral("LabelMusteriler"), QStringLiteral("Müşteriler"), frame);
    button->setToolTip(QStringLiteral("Bu ilana uyan müşteri talepleri"));
    framedByItself(entry, button);
    QObject::connect(button, &LabelButton::activated, action, &CustomersAction::show);
    return button;
}

FindingsWindow* window(const FormEntry* entry)
{
    return entry->findChild<FindingsWindow*>(WindowName, Qt::FindDirectChildrenOnly);
}

} // namespace ListingCustomers
