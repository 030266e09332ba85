#pragma once

#include <QList>
#include <QRect>
#include <QWidget>

namespace Matching {

// The frames of a screen's footer label buttons, centred 14 pixels apart
// and 24 high, 10 pixels above the window's foot, as the background draws them.
inline QList<QRect> footerFrames(const QWidget* screen, const QList<int>& widths)
{
    constexpr int Gap = 14;
    int total = Gap * int(widths.size() - 1);
    for (const int w : widths)
        total += w;
    QList<QRect> frames;
    int x = (screen->width() - total) / 2;
    for (const int w : widths) {
        frames << QRect(x, screen->height() - 34, w, 24);
        x += w + Gap;
    }
    return frames;
}

} // namespace Matching
