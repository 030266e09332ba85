#include "matching/missingdata.h"

#include "kit/behaviours/pressbutton.h"
#include "kit/screens.h"
#include "matching/findingswindow.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/rowstream.h"
#include "search/searchscreen.h"

#include <QLabel>

using namespace Matching;

namespace MissingData {

namespace {

const QString NoticeName = QStringLiteral("LabelEksikBilgi");
const QString ListName = QStringLiteral("MissingDataList");
const QString TellerName = QStringLiteral("MissingDataTeller");

const QStringList& titles()
{
    static const QStringList titles{QStringLiteral("Kayıt"), QStringLiteral("Semt"), QStringLiteral("M²"),
                                    QStringLiteral("Fiyat"), QStringLiteral("Emlak"), QStringLiteral("Neden")};
    return titles;
}

QString why(Register id, Compared field)
{
    if (field == Compared::Price)
        return QStringLiteral("fiyat yok");
    return id == Register::Land ? QStringLiteral("m² sayı değil") : QStringLiteral("m² yok");
}

} // namespace

QList<Asked> askedBy(const QList<Register>& registers, int criterion, const std::optional<QString>& status)
{
    QList<Asked> asked;
    for (const Register id : registers)
        for (const Compared field : comparedBy(criterion))
            asked << Asked{.where = id, .field = field, .status = status};
    return asked;
}

QStringList notices(Database& db, const QList<Asked>& asked)
{
    QStringList told;
    for (const Asked& a : asked)
        if (const qint64 n = countMissing(db, a.where, a.field, a.status))
            told << missingNotice(a.where, a.field, n);
    return told;
}

void list(FindingsWindow& window, Database& db, const QList<Asked>& asked)
{
    QList<FoundRow> rows;
    QStringList told;
    try {
        for (const Asked& a : asked) {
            const RegisterRule& r = rule(a.where);
            QStringList columns{QStringLiteral("No"), r.districtField, QStringLiteral("Metre2"),
                                QStringLiteral("Fiyati")};
            if (r.byKind)
                columns << QStringLiteral("Emlak");
            RowStream found(db, missingStatement(a.where, a.field, a.status), columns);
            while (found.next())
                rows << FoundRow{.screen = r.entryScreen,
                                 .key = found.integer(0),
                                 .cells = {r.caption, found.text(1), found.text(2), found.text(3),
                                           r.byKind ? found.text(4) : QString(), why(a.where, a.field)}};
            if (found.rowsRead() > 0)
                told << missingNotice(a.where, a.field, found.rowsRead());
        }
    } catch (const DataError&) {
        window.setNotice(QString());
        window.setRows(titles(), {});
        throw;
    }
    window.setNotice(told.isEmpty() ? QStringLiteral("Bu aramada eksik bilgili ilan yok.")
                                    : told.join(QStringLiteral(".\n")) + QStringLiteral("."));
    window.setRows(titles(), rows);
}

QString linkedNotice(const QStringList& notices)
{
    if (notices.isEmpty())
        return QString();
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(Link.toString(), notices.join(QStringLiteral("; ")).toHtmlEscaped());
}

namespace {

// What a listing search tells after "Bul".
class SearchNotice final : public QObject {
public:
    SearchNotice(SearchScreen* search, Screens& screens, Register where)
        : QObject(search), m_search(search), m_screens(screens), m_where(where)
    {
        setObjectName(TellerName);
        // One line under the grid, which gives it the room.
        DbGrid* grid = search->grid();
        QRect frame = grid->geometry();
        frame.setHeight(frame.height() - 20);
        grid->setGeometry(frame);
        m_notice = new QLabel(search);
        m_notice->setObjectName(NoticeName);
        m_notice->setAccessibleName(QStringLiteral("Aramada çıkmayan ilanlar"));
        m_notice->setGeometry(frame.x(), frame.bottom() + 3, frame.width(), 17);
        m_notice->setTextFormat(Qt::RichText);
        m_notice->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        connect(m_notice, &QLabel::linkActivated, this, &SearchNotice::showList);
        connect(search, &SearchScreen::searched, this, &SearchNotice::tell);
        connect(search->showAllAction(), &LabelButton::activated, m_notice, &QLabel::clear);
    }

    FindingsWindow* window() const { return m_window; }

private:
    QList<Asked> asked() const
    {
        return askedBy({m_where}, m_option, m_search->filteredStatus());
    }

    void tell(int option)
    {
        m_option = option;
        m_notice->clear();
        try {
            const QStringList told = notices(m_screens.database(), asked());
            m_notice->setText(linkedNotice(told));
            m_notice->setToolTip(told.join(QLatin1Char('\n')));
        } catch (const DataError& error) {
            reportDataError(m_search, error.message());
        }
    }

    void showList()
    {
        if (!m_window)
            m_window = new FindingsWindow(m_screens, ListName, QStringLiteral("Eksik Bilgili İlanlar"), m_search);
        try {
            list(*m_window, m_screens.database(), asked());
        } catch (const DataError& error) {
            reportDataError(m_search, error.message());
        }
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }

    SearchScreen* m_search;
    Screens& m_screens;
    const Register m_where;
    int m_option = -1;
    QLabel* m_notice = nullptr;
    FindingsWindow* m_window = nullptr;
};

SearchNotice* noticeOf(const SearchScreen* search)
{
    return search ? dynamic_cast<SearchNotice*>(search->findChild<QObject*>(TellerName, Qt::FindDirectChildrenOnly))
                  : nullptr;
}

} // namespace

void installOnSearch(SearchScreen* search, Screens& screens)
{
    if (!search || noticeOf(search))
        return;
    if (const auto where = registerOf(search->searchSetup().table))
        new SearchNotice(search, screens, *where);
}

QLabel* searchNotice(const SearchScreen* search)
{
    return search ? search->findChild<QLabel*>(NoticeName, Qt::FindDirectChildrenOnly) : nullptr;
}

FindingsWindow* searchList(const SearchScreen* search)
{
    const SearchNotice* notice = noticeOf(search);
    return notice ? notice->window() : nullptr;
}

} // namespace MissingData
