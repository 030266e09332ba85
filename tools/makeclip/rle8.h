#pragma once

#include <QByteArray>

// Encodes one 8-bit frame (width*height palette indices, top row first) as
// DIB RLE-8 data, bottom line first. With a previous frame, pixels that did
// not change are skipped with delta / end-of-line escapes, so the player keeps
// showing them; without one every pixel is written (a key frame).
QByteArray encodeRle8(const QByteArray& pixels, int width, int height,
                      const QByteArray* previous = nullptr);
