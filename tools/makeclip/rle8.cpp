#include "rle8.h"

#include <algorithm>

namespace {

// Unchanged gaps shorter than this cost less to repaint than to skip.
constexpr int kMinSkip = 4;

int runAt(const uchar* s, int i, int n)
{
    int r = 1;
    while (i + r < n && r < 255 && s[i + r] == s[i])
        ++r;
    return r;
}

// Pixels of one stretch of a line: repeated runs, literal stretches in
// absolute mode (at least 3 long, padded to a word), lone pixels as runs of 1.
void encodeSpan(const uchar* s, int n, QByteArray& out)
{
    int i = 0;
    while (i < n) {
        const int r = runAt(s, i, n);
        if (r >= 2) {
            out.append(char(r)).append(char(s[i]));
            i += r;
            continue;
        }
        int j = i + 1;
        while (j < n && j - i < 255 && runAt(s, j, n) < 3)
            ++j;
        const int lit = j - i;
        if (lit >= 3) {
            out.append('\0').append(char(lit));
            out.append(reinterpret_cast<const char*>(s + i), lit);
            if (lit & 1)
                out.append('\0');
        } else {
            for (int k = i; k < j; ++k)
                out.append('\1').append(char(s[k]));
        }
        i = j;
    }
}

void emitDelta(int dx, int dy, QByteArray& out)
{
    while (dx > 0 || dy > 0) {
        const int sx = std::min(dx, 255), sy = std::min(dy, 255);
        out.append('\0').append('\2').append(char(sx)).append(char(sy));
        dx -= sx;
        dy -= sy;
    }
}

} // namespace

QByteArray encodeRle8(const QByteArray& pixels, int width, int height, const QByteArray* previous)
{
    QByteArray out;
    const auto* px = reinterpret_cast<const uchar*>(pixels.constData());
    const auto* prev = previous ? reinterpret_cast<const uchar*>(previous->constData()) : nullptr;
    int cx = 0, cy = 0; // where the decoder stands, DIB lines counted from the bottom

    for (int y = 0; y < height; ++y) {
        const int srcRow = height - 1 - y;
        const uchar* line = px + qsizetype(srcRow) * width;
        const uchar* old = prev ? prev + qsizetype(srcRow) * width : nullptr;
        auto changed = [&](int x) { return !old || line[x] != old[x]; };

        int x = 0;
        while (x < width) {
            while (x < width && !changed(x))
                ++x;
            if (x == width)
                break;
            // Extend the stretch over unchanged gaps too short to skip.
            int end = x + 1;
            while (end < width) {
                int gapEnd = end;
                while (gapEnd < width && !changed(gapEnd))
                    ++gapEnd;
                if (gapEnd == width || gapEnd - end >= kMinSkip)
                    break;
                end = gapEnd + 1;
            }
            // Delta moves only right and up; to go back left, start the next line.
            if (x < cx) {
                out.append('\0').append('\0');
                cx = 0;
                ++cy;
            }
            emitDelta(x - cx, y - cy, out);
            encodeSpan(line + x, end - x, out);
            cx = end;
            cy = y;
            x = end;
        }
    }
    out.append('\0').append('\1');
    return out;
}
