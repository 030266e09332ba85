#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <optional>

// A video clip read from a RIFF AVI file: the frames of its first video
// stream, decoded up front. Understands uncompressed 8-bit (palettised),
// 24-bit and 32-bit frames and RLE-8 compressed frames — what small splash
// clips use. Every size in the file is checked against the file itself, so
// a damaged or truncated clip gives an error (or the frames that are whole),
// never a crash or a huge allocation.
class AviClip
{
public:
    // Reads and decodes the clip at path. On failure returns nothing and,
    // when error is given, sets it to a one-line reason.
    static std::optional<AviClip> load(const QString& path, QString* error = nullptr);

    int frameCount() const { return int(m_frames.size()); }
    // Frame i (0-based); a null image when i is out of range.
    QImage frame(int i) const;
    // Time one frame stays on screen, from the file's frame rate.
    int frameIntervalMs() const { return m_intervalMs; }
    QSize size() const { return m_size; }
    // True when the file ended inside the frame data and the clip holds only
    // the frames that were complete.
    bool isTruncated() const { return m_truncated; }

    // Decodes one RLE-8 frame (bottom-up DIB order) into an 8-bit index
    // buffer of width*height bytes, top row first. Pixels the data skips
    // keep what the buffer held, as they do between frames of a clip.
    // Returns false when the data ended before its end-of-bitmap mark;
    // what was decoded up to there stays in the buffer.
    static bool decodeRle8(const QByteArray& data, int width, int height, QByteArray& indices);

private:
    AviClip() = default;

    QList<QImage> m_frames;
    QSize m_size;
    int m_intervalMs = 100;
    bool m_truncated = false;
};
