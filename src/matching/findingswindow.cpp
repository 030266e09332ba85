#include "matching/findingswindow.h"

#include "kit/behaviours/pressbutton.h"
#include "kit/screenkit.h"
#include "kit/screens.h"
#include "matching/nearmisses.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>

namespace {

ScreenSetup windowSetup(const QString& programName, const QString& caption)
{
    return ScreenKit::standardWindow(programName, caption, QSize(640, 480));
}

// Enter on a row opens it, as the grids of the program do.
class OpenOnEnter final : public QObject {
public:
    OpenOnEnter(QTableWidget* list, const FindingsWindow* window) : QObject(list), m_list(list), m_window(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key != Qt::Key_Return && key != Qt::Key_Enter) || m_list->currentRow() < 0)
            return false;
        m_window->openRow(m_list->currentRow());
        return true;
    }

private:
    QTableWidget* m_list;
    const FindingsWindow* m_window;
};

constexpr int Left = 10;
constexpr int Width = 620;
constexpr int ChoiceTop = 52;
constexpr int NoticeTop = 80;

} // namespace

FindingsWindow::FindingsWindow(const Screens& screens, const QString& programName, const QString& caption,
                               QWidget* parent)
    : Screen(windowSetup(programName, caption), parent), m_screens(screens)
{
    ScreenKit kit(this);
    kit.minimiseIcon();
    kit.exitIcon();

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("LabelNotice"));
    m_notice->setAccessibleName(QStringLiteral("Açıklama"));
    m_notice->setWordWrap(true);
    m_notice->setGeometry(Left, NoticeTop, Width, 34);
    m_notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_list = new QTableWidget(this);
    m_list->setObjectName(QStringLiteral("FindingsList"));
    m_list->setAccessibleName(caption);
    m_list->setGeometry(Left, NoticeTop + 38, Width, 436 - (NoticeTop + 38) - 6);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setWordWrap(false);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openRow(row); });
    m_list->installEventFilter(new OpenOnEnter(m_list, this));

    const QList<QRect> frames = ScreenKit::footerFrames(this, {90});
    m_close = kit.exitAction(frames.at(0));
}

void FindingsWindow::offerCriterion(int chosen)
{
    if (m_criterion)
        return;
    ScreenKit(this).caption(QStringLiteral("Ölçüt"), QRect(Left, ChoiceTop + 3, 50, 18));
    m_criterion = new QComboBox(this);
    m_criterion->setObjectName(QStringLiteral("ComboOlcut"));
    m_criterion->setAccessibleName(QStringLiteral("Ölçüt"));
    m_criterion->setAccessibleDescription(QStringLiteral("Ölçüt"));
    for (const Matching::Criterion& criterion : Matching::criteria())
        m_criterion->addItem(criterion.item);
    m_criterion->setCurrentIndex(chosen);
    m_criterion->setGeometry(Left + 54, ChoiceTop, 200, 22);
    connect(m_criterion, &QComboBox::currentIndexChanged, this, &FindingsWindow::refill);
}

int FindingsWindow::criterion() const
{
    return m_criterion ? m_criterion->currentIndex() : -1;
}

void FindingsWindow::offerMargin(int margin)
{
    if (m_margin)
        return;
    // Beside the criterion where one is offered, else at the left.
    const int left = m_criterion ? Left + 270 : Left;
    ScreenKit(this).caption(QStringLiteral("Pay"), QRect(left, ChoiceTop + 3, 30, 18));
    m_margin = new QSpinBox(this);
    m_margin->setObjectName(QStringLiteral("SpinPay"));
    m_margin->setAccessibleName(QStringLiteral("Pay"));
    m_margin->setRange(1, Matching::LargestMargin);
    m_margin->setPrefix(QStringLiteral("%"));
    m_margin->setValue(margin);
    m_margin->setGeometry(left + 34, ChoiceTop, 70, 22);
    connect(m_margin, &QSpinBox::valueChanged, this, &FindingsWindow::refill);
}

int FindingsWindow::margin() const
{
    return m_margin ? m_margin->value() : 0;
}

void FindingsWindow::setNotice(const QString& text)
{
    m_notice->setText(text);
}

QString FindingsWindow::notice() const
{
    return m_notice->text();
}

void FindingsWindow::setRows(const QStringList& titles, const QList<FoundRow>& rows)
{
    m_rows = rows;
    m_list->clear();
    m_list->setColumnCount(int(titles.size()));
    m_list->setHorizontalHeaderLabels(titles);
    m_list->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < titles.size(); ++c)
            m_list->setItem(r, c, new QTableWidgetItem(rows.at(r).cells.value(c)));
    m_list->resizeColumnsToContents();
    if (!rows.isEmpty())
        m_list->setCurrentCell(0, 0);
}

void FindingsWindow::openRow(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return;
    // A copy: what the pick does may fill the list afresh.
    const FoundRow found = m_rows.at(row);
    if (m_pick) {
        m_pick(found);
        return;
    }
    if (!m_screens.show(found.screen))
        return;
    auto* owner = dynamic_cast<CursorOwner*>(m_screens.find(found.screen));
    Table* cursor = owner ? owner->cursor() : nullptr;
    if (!cursor)
        return;
    try {
        cursor->locate(QStringLiteral("No"), found.key);
    } catch (const DataError& error) {
        reportDataError(m_screens.find(found.screen), error.message());
    }
}

void framedByItself(Screen* screen, LabelButton* action)
{
    screen->whenDressed(action, [action] {
        // Where the frame is narrow for the caption, a size smaller.
        QFont bold = action->font();
        bold.setBold(true);
        const bool narrow = QFontMetrics(bold).horizontalAdvance(action->text()) + 6 > action->width();
        action->setStyleSheet(
            QStringLiteral("QLabel { color: rgb(20, 30, 60); font-weight: bold; %1 border: 1px solid rgb(160, 170, 186);"
                           " border-radius: 4px; background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1,"
                           " stop: 0 rgb(255, 255, 255), stop: 1 rgb(226, 231, 239)); }")
                .arg(narrow ? QStringLiteral("font-size: 10px; padding: 0px;") : QString()));
    });
}
