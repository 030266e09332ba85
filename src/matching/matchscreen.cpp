#include "matching/matchscreen.h"

#include "kit/behaviours/keyboardaccess.h"
#include "kit/behaviours/pressbutton.h"
#include "kit/behaviours/recordbehaviours.h"
#include "kit/screenkit.h"
#include "kit/screens.h"
#include "kit/behaviours/printbutton.h"
#include "matching/bulkcomparison.h"
#include "matching/callsheet.h"
#include "matching/matchassistant.h"
#include "matching/matchingdialogs.h"
#include "matching/matchlistscreen.h"
#include "platform/controls/dbgrid.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/query.h"
#include "matching/callsheetreport.h"
#include "search/requestlist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QListWidget>

using namespace Matching;

namespace {

const QList<DatasetModel::Column>& requestColumns()
{
    static const QList<DatasetModel::Column> columns{
        {QStringLiteral("Isim"), QStringLiteral("Isim")},
        {QStringLiteral("Semtadi"), QStringLiteral("Semt Adı")},
        {QStringLiteral("Emlak"), QStringLiteral("Emlak")},
        {QStringLiteral("IlkMetre2"), QStringLiteral("Ilk Metre2")},
        {QStringLiteral("Ikincimetre2"), QStringLiteral("Ikinci metre2")},
        {QStringLiteral("Fiyatilkdeger"), QStringLiteral("Fiyat İlk Değer")},
        {QStringLiteral("Ikincifiyat"), QStringLiteral("Fiyat İkinci Değer")},
        {QStringLiteral("Isisistemi"), QStringLiteral("Isı Sistemi")},
        {QStringLiteral("Kat"), QStringLiteral("Kat")},
        {QStringLiteral("Oda"), QStringLiteral("Oda")},
    };
    return columns;
}

ScreenSetup windowSetup()
{
    ScreenSetup setup =
        ScreenKit::standardWindow(MatchScreen::programName(), QStringLiteral("Karşılaştırma"), QSize(640, 480));
    setup.placement = ScreenPlacement::CentreOnActivation;
    return setup;
}

Query* requestListQuery(Screens& screens)
{
    auto* list = screens.get<RequestList>(RequestList::programName());
    if (!list)
        throw DataError(QStringLiteral("MatchScreen needs RequestList, made before it"));
    return list->requests();
}

QString count(qint64 n)
{
    return QLocale().toString(n);
}

QString nameOf(const Request& request)
{
    return request.name.isEmpty() ? QStringLiteral("isimsiz") : request.name;
}

} // namespace

const QString& MatchScreen::programName()
{
    static const QString name = QStringLiteral("MatchScreen");
    return name;
}

const QString& MatchScreen::criteriaHint()
{
    static const QString hint = QStringLiteral("Seçtiğini Seçeneğe Göre Arama Yapma");
    return hint;
}

MatchScreen::MatchScreen(Screens& screens) : Screen(windowSetup()), m_screens(screens)
{
    ScreenKit kit(this);
    kit.minimiseIcon();
    kit.exitIcon();

    m_requests = requestListQuery(screens);
    CurrentWhenShown::install(this, m_requests);
    m_requestGrid = new DbGrid(this);
    m_requestGrid->setObjectName(QStringLiteral("DBGrid1"));
    m_requestGrid->setAccessibleName(QStringLiteral("Müşteri Talepleri"));
    m_requestGrid->setGeometry(10, 52, 464, 134);
    m_requestGrid->setDataset(m_requests, requestColumns());
    m_requestGrid->setShowGrid(true);

    m_criteria = new QListWidget(this);
    m_criteria->setObjectName(QStringLiteral("ListBox1"));
    m_criteria->setAccessibleName(criteriaHint());
    m_criteria->setToolTip(criteriaHint());
    m_criteria->setGeometry(484, 52, 146, 134);
    m_criteria->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const Criterion& criterion : criteria())
        m_criteria->addItem(criterion.item);
    m_criteria->setCurrentRow(-1);
    m_criteria->clearSelection();
    connect(m_criteria, &QListWidget::itemSelectionChanged, this, &MatchScreen::criterionChosen);

    // The five result grids lie in one place; a match shows the one it searched.
    Database& db = screens.database();
    for (const RegisterRule& r : registers()) {
        const auto at = size_t(r.id);
        auto* results = new Query(db, this);
        results->setObjectName(QStringLiteral("Query%1").arg(at + 1));
        results->setStatement(wholeRegister(r.id));
        results->open();
        m_results[at] = results;

        QList<DatasetModel::Column> columns;
        for (const auto& [field, title] : r.gridColumns)
            columns << DatasetModel::Column{field, title};
        auto* grid = new DbGrid(this);
        grid->setObjectName(QStringLiteral("DBGrid%1").arg(at + 2));
        grid->setAccessibleName(r.caption);
        grid->setGeometry(10, 194, 620, 214);
        grid->setDataset(results, columns);
        grid->setShowGrid(true);
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->hide();
        GridOpensRecord::install(grid, screens, r.entryScreen, QStringLiteral("No"));
        m_grids[at] = grid;
    }

    const QList<QRect> frames = ScreenKit::footerFrames(this, {90, 90, 170, 170});
    m_find = kit.action(QStringLiteral("LabelBul"), QStringLiteral("Bul"), frames.at(0));
    m_compareAll = kit.action(QStringLiteral("LabelYazdir"), QStringLiteral("Yazdır"), frames.at(1));
    // Under the grids, what the exact result leaves out.
    m_assistant = new MatchAssistant(this, screens, frames.at(2));
    m_callSheet = kit.action(QStringLiteral("LabelAranacaklar"), QStringLiteral("Aranacaklar"), frames.at(3));
    m_callSheet->setToolTip(QStringLiteral("Her talebe uyan ilanlarla aranacak müşteriler: gösterilenler ve yeniler "
                                           "işaretli"));
    // All four wait for a criterion, and look it.
    for (LabelButton* action : {m_find, m_compareAll, m_assistant->nearMissAction(), m_callSheet}) {
        // After the action's own style, which it replaces.
        whenDressed(action, [action] {
            action->setStyleSheet(QStringLiteral("QLabel { color: rgb(20, 30, 60); font-weight: bold; }"
                                                 " QLabel:disabled { color: rgb(150, 158, 172); }"));
        });
        action->setEnabled(false);
    }
    connect(m_find, &LabelButton::activated, this, &MatchScreen::match);
    KeyboardAccess::searchOnEnter({m_criteria}, m_find);
    connect(m_compareAll, &LabelButton::activated, this, &MatchScreen::compareAll);
    connect(m_callSheet, &LabelButton::activated, this, &MatchScreen::makeCallSheet);

    setTabOrder(m_requestGrid, m_criteria);
}

DbGrid* MatchScreen::visibleResultGrid() const
{
    for (DbGrid* grid : m_grids)
        if (!grid->isHidden())
            return grid;
    return nullptr;
}

int MatchScreen::selectedCriterion() const
{
    const QList<QListWidgetItem*> selected = m_criteria->selectedItems();
    return selected.isEmpty() ? -1 : m_criteria->row(selected.first());
}

void MatchScreen::selectCriterion(int criterion)
{
    if (criterion < 0)
        m_criteria->clearSelection();
    else
        m_criteria->setCurrentRow(criterion, QItemSelectionModel::ClearAndSelect);
}

void MatchScreen::criterionChosen()
{
    if (selectedCriterion() < 0)
        return;
    for (DbGrid* grid : m_grids)
        grid->hide();
    m_find->setEnabled(true);
    m_compareAll->setEnabled(true);
    m_callSheet->setEnabled(true);
    for (const RegisterRule& r : registers())
        rerun(r.id, wholeRegister(r.id));
    m_assistant->clear();
}

void MatchScreen::showOnly(Register id)
{
    for (const RegisterRule& r : registers())
        m_grids[size_t(r.id)]->setVisible(r.id == id);
}

void MatchScreen::rerun(Register id, const Statement& statement)
{
    Query* results = m_results[size_t(id)];
    results->close();
    results->setStatement(statement);
    results->open();
}

void MatchScreen::match()
{
    const int criterion = selectedCriterion();
    // No request (a search that found nothing or failed): no test can hold.
    if (criterion < 0 || !m_requests->isActive() || m_requests->isEmpty())
        return;
    try {
        const Request request = readRequest(*m_requests);
        for (const Register id : registersFor(request, criterion, Scope::OneRequest)) {
            showOnly(id);
            rerun(id, statementFor(id, request, criterion));
        }
    } catch (const DataError& error) {
        reportDataError(this, error.message());
        return;
    }
    m_assistant->matched();
}

void MatchScreen::compareAll()
{
    const int criterion = selectedCriterion();
    if (criterion < 0)
        return;
    auto* list = m_screens.get<MatchListScreen>(MatchListScreen::programName());
    if (list)
        list->clearList();

    BulkComparison comparison(m_screens.database(), criterion);
    QElapsedTimer clock;
    clock.start();
    comparison.setKeepGoing(
        [&](int done, int total) { return matchingDialogs().progress(this, done, total, clock.elapsed()); });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    BulkOutcome outcome = comparison.run(m_requests->isActive() ? m_requests->statement() : Statement());
    QApplication::restoreOverrideCursor();
    matchingDialogs().endProgress();

    settle(outcome);
    if (list)
        list->setList(std::move(outcome.lines));
    if (outcome.end == BulkOutcome::End::Failed) {
        // The lines written so far stay in the list, which is not shown.
        reportDataError(this, outcome.failure);
        return;
    }
    if (list)
        m_screens.show(MatchListScreen::programName());
    QWidget* over = list ? static_cast<QWidget*>(list) : this;
    if (outcome.end == BulkOutcome::End::Cancelled)
        matchingDialogs().inform(
            over, QStringLiteral("Karşılaştırma %1. talepten (%2) sonra iptal edildi. Listede %3 talebin ilk %1 "
                                 "tanesi var.")
                      .arg(count(outcome.requestsWritten), nameOf(outcome.lastWritten), count(outcome.requestsTotal)));
    else if (outcome.end == BulkOutcome::End::ListFull)
        matchingDialogs().inform(
            over, QStringLiteral("Liste, kutunun alabileceği %1 karakteri aşacağı için %2. talepte (%3) durdu: "
                                 "%4 talebin ilk %5 tanesi listede; %2. talep ve sonrası, %6 talep, listeye "
                                 "yazılmadı.")
                      .arg(count(BulkComparison::ListCapacity), count(outcome.requestsWritten + 1),
                           nameOf(outcome.firstLeftOut), count(outcome.requestsTotal),
                           count(outcome.requestsWritten), count(outcome.requestsTotal - outcome.requestsWritten)));
}

void MatchScreen::makeCallSheet()
{
    const int criterion = selectedCriterion();
    if (criterion < 0)
        return;
    Database& db = m_screens.database();
    CallSheet::Sheet sheet;
    QElapsedTimer clock;
    clock.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        sheet = CallSheet::make(db, criterion, m_requests->isActive() ? m_requests->statement() : Statement(),
                                CallSheet::shownInEitherLog(db), [&](int done, int total) {
                                    return matchingDialogs().progress(this, done, total, clock.elapsed());
                                });
    } catch (const DataError& error) {
        QApplication::restoreOverrideCursor();
        matchingDialogs().endProgress();
        reportDataError(this, error.message());
        return;
    }
    QString notRemembered;
    try {
        CallSheet::remember(db, sheet);
    } catch (const DataError& error) {
        // The sheet is still worth calling from; the next one compares
        // with the sheet remembered before this one.
        notRemembered = error.message();
    }
    QApplication::restoreOverrideCursor();
    matchingDialogs().endProgress();
    if (!notRemembered.isEmpty())
        reportDataError(this, QStringLiteral("Arama listesi hatırlanamadı; bir sonraki liste \"YENİ\" işaretlerini "
                                             "bundan önceki listeye göre koyacak.\n%1")
                                  .arg(notRemembered));
    if (sheet.cancelled) {
        matchingDialogs().inform(this, QStringLiteral("Arama listesi %1 talebin %2. talebinde iptal edildi; "
                                                      "liste hatırlanmadı.")
                                           .arg(count(sheet.requestsTotal), count(sheet.requestsRead)));
        return;
    }
    if (sheet.customers.isEmpty()) {
        matchingDialogs().inform(
            this, QStringLiteral("\"%1\" ölçütüyle %2 talebin hiçbirine uyan ilan yok; aranacak müşteri yok.")
                      .arg(criteria().at(criterion).item, count(sheet.requestsRead)));
        return;
    }
    if (sheet.full)
        matchingDialogs().inform(
            this, QStringLiteral("Arama listesi %1 ilanı aşacağı için %2 talebin ilk %3 tanesinde durdu; sonraki "
                                 "talepler listede yok.")
                      .arg(count(CallSheet::Sheet::Capacity), count(sheet.requestsTotal), count(sheet.requestsRead)));
    PrintButton::print([&] { return CallSheet::previewWindow(sheet, this); });
}

// Leaves the request list on the last request written (the last one when
// the run went to the end) and the result grids as that request left them.
void MatchScreen::settle(const BulkOutcome& outcome)
{
    try {
        if (outcome.end == BulkOutcome::End::Finished && outcome.requestsWritten > 0)
            m_requests->last();
        else if (outcome.lastWrittenKey >= 0)
            m_requests->locate(QStringLiteral("No"), outcome.lastWrittenKey);
        for (const RegisterRule& r : registers())
            if (const auto& statement = outcome.lastStatements[size_t(r.id)])
                rerun(r.id, *statement);
        if (outcome.lastHeld)
            showOnly(*outcome.lastHeld);
    } catch (const DataError& error) {
        reportDataError(this, error.message());
    }
}
