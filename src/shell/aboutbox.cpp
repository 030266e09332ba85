#include "shell/aboutbox.h"

#include "kit/behaviours/pressbutton.h"
#include "platform/system/shellopener.h"

#include <QEvent>

namespace {

ScreenSetup aboutSetup()
{
    ScreenSetup setup;
    setup.programName = QStringLiteral("AboutBox");
    setup.caption = QStringLiteral("Talvoren Bilgisayar");
    setup.clientSize = QSize(640, 480);
    setup.background = QStringLiteral(":/art/bg_about_box.jpg");
    return setup;
}

} // namespace

AboutBox::AboutBox() : Screen(aboutSetup())
{
    backgroundLabel()->installEventFilter(this);
    // Over the picture's drawn button lies an invisible click area: the link.
    m_link = new ClickLabel(QString(), this);
    m_link->setObjectName(QStringLiteral("LinkArea"));
    m_link->setAccessibleName(QStringLiteral("Web Sayfamızı Ziyaret Edin"));
    m_link->setToolTip(makersPage().toString());
    m_link->setGeometry(196, 352, 248, 36);
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->setAttribute(Qt::WA_TranslucentBackground);
    connect(m_link, &ClickLabel::clicked, this, [] { shellOpener().open(makersPage()); });
}

QUrl AboutBox::makersPage()
{
    return QUrl(QStringLiteral("https://talvoren.example/evlora"));
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == backgroundLabel() && event->type() == QEvent::MouseButtonDblClick) {
        close();
        return true;
    }
    return Screen::eventFilter(watched, event);
}
