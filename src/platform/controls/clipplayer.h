#pragma once

#include "platform/controls/aviclip.h"

#include <QTimer>
#include <QWidget>

#include <optional>

// The animation control: plays a range of a video clip's frames in a loop at
// the clip's own frame rate, drawing the current frame centred. A clip that
// cannot be opened leaves the control empty and inert.
class ClipPlayer : public QWidget
{
    Q_OBJECT
public:
    explicit ClipPlayer(QWidget* parent = nullptr);

    // Loads the clip; on failure the control shows nothing and errorString() says why.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return m_clip.has_value(); }
    QString errorString() const { return m_error; }
    int frameCount() const { return m_clip ? m_clip->frameCount() : 0; }

    // Loops frames from..to (clamped to the clip). Returns false when no clip is open.
    bool play(int from, int to);
    void stop();
    bool isPlaying() const { return m_timer.isActive(); }
    int currentFrame() const { return m_current; }
    // Shows one frame without playing.
    void seek(int frame);
    // Advances to the next frame of the playing range, wrapping to its start.
    void step();

    QSize sizeHint() const override;

signals:
    void frameChanged(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showFrame(int frame);

    std::optional<AviClip> m_clip;
    QString m_error;
    QTimer m_timer;
    int m_from = 0;
    int m_to = 0;
    int m_current = 0;
};
