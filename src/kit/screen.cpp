#include "kit/screen.h"

#include "kit/behaviours/centreonscreen.h"
#include "kit/behaviours/dragbybackground.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

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
    QPixmap picture;
    if (!setup.background.isEmpty())
        picture.load(setup.background);
    m_hasArtwork = !picture.isNull();
    m_background->setPixmap(m_hasArtwork ? picture
                                         : fallbackPicture(size, setup.colour, setup.caption));
    m_background->lower();

    if (setup.dragByBackground)
        m_drag = DragByBackground::install(m_background);

    if (setup.placement == ScreenPlacement::CentreOnCreation)
        CentreOnScreen::install(this);
    else if (setup.placement == ScreenPlacement::CentreOnActivation)
        CentreOnScreen::installOnEveryActivation(this);
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

void Screen::closeEvent(QCloseEvent* event)
{
    // Accepting a close hides a widget without deleting it; a screen without
    // WA_QuitOnClose leaves the program running.
    event->accept();
}
