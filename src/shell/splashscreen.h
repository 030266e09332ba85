#pragma once

#include <QWidget>

class ClipPlayer;

// Shown first at start-up and gone before the main window appears: the
// product's picture with the clip "ani34.avi" from the working directory
// playing its frames 0 to 13 in a loop. Without a readable clip it simply
// shows no animation.
class SplashScreen : public QWidget {
    Q_OBJECT
public:
    SplashScreen();
    ClipPlayer* animation() const { return m_animation; }
    bool isAnimating() const;

private:
    ClipPlayer* m_animation;
};
