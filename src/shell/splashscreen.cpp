#include "shell/splashscreen.h"

#include "kit/behaviours/centreonscreen.h"
#include "platform/controls/clipplayer.h"

#include <QLabel>

SplashScreen::SplashScreen() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SplashScreen"));
    setAccessibleName(QStringLiteral("Evlora"));
    setFixedSize(300, 145);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(53, 88, 255));
    setPalette(pal);
    setAutoFillBackground(true);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(0, 0, 300, 145);
    picture->setPixmap(QPixmap(QStringLiteral(":/art/bg_splash_screen.jpg")));

    m_animation = new ClipPlayer(this);
    m_animation->setGeometry(206, 36, 80, 64);
    if (m_animation->open(QStringLiteral("ani34.avi")))
        m_animation->play(0, 13);
    else
        m_animation->hide();
    CentreOnScreen::install(this);
}

bool SplashScreen::isAnimating() const
{
    return !m_animation->isHidden() && m_animation->isPlaying();
}
