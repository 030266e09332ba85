#include "matching/matchassistant.h"

#include "kit/behaviours/pressbutton.h"
#include "kit/screenkit.h"
#include "kit/screens.h"
#include "matching/findingswindow.h"
#include "matching/matchscreen.h"
#include "matching/missingdata.h"
#include "matching/nearmisses.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"

#include <QLabel>

using namespace Matching;

namespace {

const QString NearLink = QStringLiteral("yakin");

QString linked(const QString& href, const QString& text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(href, text.toHtmlEscaped());
}

// What the match's searches look through: on land the wished status, else
// the register's available one.
QList<MissingData::Asked> askedFor(const Request& request, int criterion)
{
    QList<MissingData::Asked> asked;
    for (const Register id : registersFor(request, criterion, Scope::OneRequest)) {
        const QString& available = rule(id).availableStatus;
        asked << MissingData::askedBy({id}, criterion, available.isEmpty() ? request.wish : available);
    }
    return asked;
}

const QStringList& listingTitles()
{
    static const QStringList titles{QStringLiteral("Kayıt"), QStringLiteral("Semt"), QStringLiteral("M²"),
                                    QStringLiteral("Fiyat"), QStringLiteral("Emlak"), QStringLiteral("Neden")};
    return titles;
}

} // namespace

MatchAssistant::MatchAssistant(MatchScreen* screen, Screens& screens, const QRect& actionFrame)
    : QObject(screen), m_screen(screen), m_screens(screens)
{
    m_notice = new QLabel(screen);
    m_notice->setObjectName(QStringLiteral("LabelBildirim"));
    m_notice->setAccessibleName(QStringLiteral("Sonuç dışında kalanlar"));
    m_notice->setGeometry(10, 410, 620, 22);
    m_notice->setTextFormat(Qt::RichText);
    m_notice->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_notice, &QLabel::linkActivated, this, [this](const QString& link) {
        if (link == NearLink)
            showNearMisses();
        else if (link == MissingData::Link)
            showMissing();
    });

    m_nearAction = ScreenKit(screen).action(QStringLiteral("LabelYakin"), QStringLiteral("Yakın Sonuçlar"),
                                            actionFrame);
    m_nearAction->setToolTip(QStringLiteral("Talebi az farkla kaçıran ilanlar, nedenleriyle"));
    m_nearAction->setEnabled(false);
    connect(m_nearAction, &LabelButton::activated, this, &MatchAssistant::showNearMisses);
}

std::optional<Request> MatchAssistant::currentRequest() const
{
    Query* requests = m_screen->requests();
    if (m_screen->selectedCriterion() < 0 || !requests->isActive() || requests->isEmpty())
        return std::nullopt;
    return readRequest(*requests);
}

void MatchAssistant::clear()
{
    m_notice->clear();
    m_nearAction->setEnabled(m_screen->selectedCriterion() >= 0);
}

void MatchAssistant::matched()
{
    const auto request = currentRequest();
    const int criterion = m_screen->selectedCriterion();
    m_notice->clear();
    if (!request)
        return;
    try {
        QStringList told;
        if (hasMargin(criterion)) {
            // The margin the clerk last chose in the list.
            const int margin = m_nearWindow ? m_nearWindow->margin() : DefaultMargin;
            const qsizetype near = nearMisses(m_screens.database(), *request, criterion, margin).size();
            if (near > 0)
                told << linked(NearLink, QStringLiteral("%1 yakın sonuç (%%2 payla)")
                                              .arg(QLocale().toString(qlonglong(near)))
                                              .arg(margin));
        }
        const QStringList missing = MissingData::notices(m_screens.database(), askedFor(*request, criterion));
        if (!missing.isEmpty())
            told << MissingData::linkedNotice(missing);
        m_notice->setText(told.join(QStringLiteral(" · ")));
        m_notice->setToolTip(missing.join(QLatin1Char('\n')));
    } catch (const DataError& error) {
        reportDataError(m_screen, error.message());
    }
}

FindingsWindow* MatchAssistant::makeWindow(const QString& name, const QString& caption)
{
    return new FindingsWindow(m_screens, name, caption, m_screen);
}

// Each time a list is asked for, it is filled afresh for the current request.
void MatchAssistant::present(FindingsWindow* window, void (MatchAssistant::*fill)())
{
    (this->*fill)();
    window->show();
    window->raise();
}

void MatchAssistant::showNearMisses()
{
    if (!m_nearWindow) {
        m_nearWindow = makeWindow(QStringLiteral("NearMissList"), QStringLiteral("Yakın Sonuçlar"));
        m_nearWindow->offerMargin(DefaultMargin);
        connect(m_nearWindow, &FindingsWindow::refill, this, &MatchAssistant::fillNearMisses);
    }
    present(m_nearWindow, &MatchAssistant::fillNearMisses);
}

void MatchAssistant::fillNearMisses()
{
    const auto request = currentRequest();
    const int criterion = m_screen->selectedCriterion();
    QList<FoundRow> rows;
    if (!request) {
        m_nearWindow->setNotice(QStringLiteral("Önce bir talep ve bir ölçüt seçin."));
    } else if (!hasMargin(criterion)) {
        m_nearWindow->setNotice(QStringLiteral("\"%1\" aramada semt hep tam aranır: yakın sonuç için fiyat ya da "
                                               "metre kare okuyan bir ölçüt seçin.")
                                    .arg(criteria().at(criterion).item));
    } else {
        try {
            const NearMisses found = nearMisses(m_screens.database(), *request, criterion, m_nearWindow->margin());
            for (const NearMiss& m : found)
                rows << FoundRow{.screen = rule(m.where).entryScreen,
                                 .key = m.key,
                                 .cells = {rule(m.where).caption, m.district, m.areaText(), m.priceText(), m.kind,
                                           m.marks().join(QStringLiteral(", "))}};
            m_nearWindow->setNotice(QStringLiteral("Talep: %1. \"%2\" aramayı %%3 payla kaçıran %4 ilan; en yakını başta.")
                                        .arg(request->name.isEmpty() ? QStringLiteral("İsimsiz") : request->name,
                                             criteria().at(criterion).item)
                                        .arg(m_nearWindow->margin())
                                        .arg(QLocale().toString(qlonglong(found.size()))));
        } catch (const DataError& error) {
            reportDataError(m_nearWindow, error.message());
        }
    }
    m_nearWindow->setRows(listingTitles(), rows);
}

void MatchAssistant::showMissing()
{
    if (!m_missingWindow)
        m_missingWindow = makeWindow(QStringLiteral("MissingDataList"), QStringLiteral("Eksik Bilgili İlanlar"));
    present(m_missingWindow, &MatchAssistant::fillMissing);
}

void MatchAssistant::fillMissing()
{
    const auto request = currentRequest();
    try {
        MissingData::list(*m_missingWindow, m_screens.database(),
                          request ? askedFor(*request, m_screen->selectedCriterion()) : QList<MissingData::Asked>());
    } catch (const DataError& error) {
        reportDataError(m_missingWindow, error.message());
    }
}
