#include "kit/screen.h"

#include "kit/behaviours/centreonscreen.h"
#include "kit/behaviours/dragbybackground.h"

#include "platform/controls/dbgrid.h"
#include "platform/controls/fieldlink.h"
#include "platform/engine/dataerror.h"
#include "platform/engine/table.h"
#include "platform/system/confirmer.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include <utility>

Screen::Screen(const ScreenSetup& setup, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_setup(setup)
{
    setObjectName(setup.programName);
    setWindowTitle(setup.caption);
    setAccessibleName(setup.caption);
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_DeleteOnClose, false);

    const QSize size = setup.clientSize.isValid() ? setup.clientSize : QSize(640, 480);
    setFixedSize(size);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, setup.colour);
    setPalette(pal);
    setAutoFillBackground(true);

    m_background = new QLabel(this);
    m_background->setObjectName(QStringLiteral("Background"));
    m_background->setGeometry(QRect(QPoint(0, 0), size));
    m_background->setScaledContents(true);
    // The picture is decoded when the screen is first shown (or asked for it).
    m_background->lower();

    if (setup.dragByBackground)
        m_drag = DragByBackground::install(m_background);

    if (setup.placement == ScreenPlacement::CentreOnCreation)
        CentreOnScreen::install(this);
    else if (setup.placement == ScreenPlacement::CentreOnActivation)
        CentreOnScreen::installOnEveryActivation(this);
}

QLabel* Screen::background() const
{
    decodeBackground();
    return m_background;
}

bool Screen::hasArtwork() const
{
    decodeBackground();
    return m_hasArtwork;
}

void Screen::decodeBackground() const
{
    if (m_decoded)
        return;
    m_decoded = true;
    QPixmap picture;
    if (!m_setup.background.isEmpty())
        picture.load(m_setup.background);
    m_hasArtwork = !picture.isNull();
    m_background->setPixmap(m_hasArtwork ? picture
                                         : fallbackPicture(m_background->size(), m_setup.colour, m_setup.caption));
}

void Screen::whenDressed(QObject* control, std::function<void()> step)
{
    if (m_dressed) {
        step();
        return;
    }
    m_dressing.append({control, control != nullptr, std::move(step)});
}

void Screen::dressWithScreen(QWidget* control, std::function<void()> step)
{
    auto* screen = control ? qobject_cast<Screen*>(control->window()) : nullptr;
    if (screen)
        screen->whenDressed(control, std::move(step));
    else
        step();
}

void Screen::dress()
{
    if (m_dressed)
        return;
    m_dressed = true; // a step that queues another runs it at once
    decodeBackground();
    // Drawn unshown (grab(), render()), a grid shows its rows all the same.
    const QList<DbGrid*> grids = findChildren<DbGrid*>();
    for (DbGrid* grid : grids)
        if (!grid->isHidden())
            grid->offerRows();
    const QList<DressingStep> steps = std::exchange(m_dressing, {});
    for (const DressingStep& step : steps) {
        if (!step.guarded || step.control)
            step.run();
    }
}

void Screen::setVisible(bool visible)
{
    if (visible)
        dress();
    QWidget::setVisible(visible);
}

bool Screen::event(QEvent* event)
{
    // The request every new widget posts would polish (and so dress) a screen
    // nobody sees yet; showing it polishes it.
    if (event->type() == QEvent::PolishRequest && !m_dressed)
        return true;
    if (event->type() == QEvent::Polish)
        dress();
    return QWidget::event(event);
}

void Screen::setEndsProgramOnClose(bool ends)
{
    setAttribute(Qt::WA_QuitOnClose, ends);
}

QPixmap Screen::fallbackPicture(const QSize& size, const QColor& colour, const QString& caption)
{
    QPixmap pixmap(size);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    const QColor ink = colour.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black);
    painter.setPen(ink);
    painter.drawRect(QRect(QPoint(0, 0), size).adjusted(0, 0, -1, -1));
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(8, 4, size.width() - 16, 24), Qt::AlignCenter, caption);
    return pixmap;
}

const QString& Screen::saveQuestion()
{
    static const QString question = QStringLiteral("Kaydedilsin mi?");
    return question;
}

bool Screen::settlePendingEdits()
{
    QList<Table*> pending;
    const QList<Table*> tables = findChildren<Table*>();
    for (Table* table : tables)
        if (table->isEditing())
            pending << table;
    if (pending.isEmpty())
        return true;

    switch (confirmer().askToSave(this, saveQuestion())) {
    case Confirmer::SaveChoice::Stay:
        return false;
    case Confirmer::SaveChoice::Discard:
        for (Table* table : pending)
            table->cancel();
        return true;
    case Confirmer::SaveChoice::Save:
        break;
    }
    for (Table* table : pending) {
        try {
            if (table->isEditing())
                table->post();
        } catch (const DataError& error) {
            // The record stays as typed, in its edit, for the user to mend.
            reportDataError(this, error.message());
            return false;
        }
    }
    return true;
}

void Screen::closeEvent(QCloseEvent* event)
{
    if (!mayClose()) {
        event->ignore();
        return;
    }
    // Accepting a close hides a widget without deleting it; a screen without
    // WA_QuitOnClose leaves the program running.
    event->accept();
}

void Screen::escape()
{
    bool cancelled = false;
    const QList<Table*> tables = findChildren<Table*>();
    for (Table* table : tables) {
        if (!table->isEditing())
            continue;
        try {
            table->cancel();
        } catch (const DataError& error) {
            reportDataError(this, error.message());
        }
        cancelled = true;
    }
    if (cancelled)
        return;
    if (m_exitAction)
        QMetaObject::invokeMethod(m_exitAction, "activate");
    else
        close();
}

void Screen::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        escape();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Screen::nameInnerParts(QWidget* screen)
{
    if (!screen)
        return;
    const auto boxes = screen->findChildren<QComboBox*>();
    for (QComboBox* box : boxes) {
        QLineEdit* text = box->lineEdit();
        if (!text || !text->accessibleName().isEmpty())
            continue;
        const QString caption =
            box->accessibleDescription().isEmpty() ? box->accessibleName() : box->accessibleDescription();
        text->setAccessibleName(caption);
    }
}
