#include "platform/controls/clipplayer.h"

#include <QPainter>

#include <algorithm>

ClipPlayer::ClipPlayer(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Animate1"));
    setAccessibleName(QStringLiteral("Animasyon"));
    connect(&m_timer, &QTimer::timeout, this, &ClipPlayer::step);
}

bool ClipPlayer::open(const QString& path)
{
    close();
    m_clip = AviClip::load(path, &m_error);
    if (!m_clip)
        return false;
    m_timer.setInterval(m_clip->frameIntervalMs());
    m_from = 0;
    m_to = m_clip->frameCount() - 1;
    updateGeometry();
    showFrame(0);
    return true;
}

void ClipPlayer::close()
{
    m_timer.stop();
    m_clip.reset();
    m_error.clear();
    m_from = m_to = m_current = 0;
    updateGeometry();
    update();
}

bool ClipPlayer::play(int from, int to)
{
    if (!m_clip)
        return false;
    const int last = m_clip->frameCount() - 1;
    m_from = std::clamp(from, 0, last);
    m_to = std::clamp(to, m_from, last);
    showFrame(m_from);
    m_timer.start();
    return true;
}

void ClipPlayer::stop()
{
    m_timer.stop();
}

void ClipPlayer::seek(int frame)
{
    if (m_clip)
        showFrame(std::clamp(frame, 0, m_clip->frameCount() - 1));
}

void ClipPlayer::step()
{
    if (!m_clip)
        return;
    showFrame(m_current >= m_to || m_current < m_from ? m_from : m_current + 1);
}

void ClipPlayer::showFrame(int frame)
{
    m_current = frame;
    update();
    emit frameChanged(frame);
}

QSize ClipPlayer::sizeHint() const
{
    return m_clip ? m_clip->size() : QSize(0, 0);
}

void ClipPlayer::paintEvent(QPaintEvent*)
{
    if (!m_clip)
        return;
    const QImage img = m_clip->frame(m_current);
    if (img.isNull())
        return;
    QPainter painter(this);
    painter.drawImage((width() - img.width()) / 2, (height() - img.height()) / 2, img);
}
