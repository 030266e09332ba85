#include "platform/controls/aviclip.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

// Splash clips are a few kilobytes; these bounds keep a damaged header from
// making us read or allocate without limit.
constexpr qint64 kMaxFileBytes = 256ll * 1024 * 1024;
constexpr qint64 kMaxDecodedBytes = 256ll * 1024 * 1024;
constexpr int kMaxSide = 8192;
constexpr int kMaxListDepth = 4;

constexpr quint32 kBiRgb = 0;
constexpr quint32 kBiRle8 = 1;

quint16 u16(const char* p)
{
    const auto* b = reinterpret_cast<const uchar*>(p);
    return quint16(b[0] | (b[1] << 8));
}

quint32 u32(const char* p)
{
    const auto* b = reinterpret_cast<const uchar*>(p);
    return quint32(b[0]) | (quint32(b[1]) << 8) | (quint32(b[2]) << 16) | (quint32(b[3]) << 24);
}

bool isId(const char* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// A span of the file: [begin, end) byte offsets.
struct Span
{
    qint64 begin = 0;
    qint64 end = 0;
    qint64 size() const { return end - begin; }
};

struct VideoFormat
{
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    quint32 compression = 0;
    QList<QRgb> palette;
};

class Reader
{
public:
    Reader(const QByteArray& data, qint64 declaredEnd, const QString& name)
        : m_d(data), m_name(name)
    {
        m_end = std::min<qint64>(declaredEnd, data.size());
        m_fileShort = declaredEnd > data.size();
    }

    bool parse(QString* error);

    VideoFormat format;
    QList<Span> frameChunks;
    quint32 microSecPerFrame = 0;
    quint32 rate = 0;
    quint32 scale = 0;
    bool truncated = false;

private:
    bool parseHeaderList(Span body, QString* error);
    bool parseStreamList(Span body, int streamNo, QString* error);
    bool parseFormat(Span body, QString* error);
    // Returns false once the data runs out (a chunk passes the end).
    bool scanMovi(Span body, int depth);
    bool fail(QString* error, const QString& why) const
    {
        if (error)
            *error = why;
        return false;
    }
    QString damaged() const
    {
        return m_fileShort ? QStringLiteral("Clip file \"%1\" is truncated").arg(m_name)
                           : QStringLiteral("Clip file \"%1\" is damaged: a header chunk runs past its end").arg(m_name);
    }
    const char* at(qint64 pos) const { return m_d.constData() + pos; }

    const QByteArray& m_d;
    QString m_name;
    qint64 m_end = 0;
    bool m_fileShort = false;
    int m_videoStream = -1;
    int m_streamCount = 0;
    bool m_haveHeader = false;
};

bool Reader::parse(QString* error)
{
    bool sawMovi = false;
    qint64 pos = 12;
    while (pos + 8 <= m_end) {
        const quint32 size = u32(at(pos + 4));
        const Span body{pos + 8, pos + 8 + qint64(size)};
        const bool isList = isId(at(pos), "LIST") && size >= 4;
        const bool isMovi = isList && body.begin + 4 <= m_end && isId(at(body.begin), "movi");
        if (body.end > m_end) {
            if (!isMovi)
                return fail(error, damaged());
            // The frame data runs off the end of the file: keep what is whole.
            truncated = true;
        }
        if (isList && isId(at(body.begin), "hdrl")) {
            if (!parseHeaderList({body.begin + 4, body.end}, error))
                return false;
        } else if (isMovi) {
            if (!m_haveHeader)
                return fail(error, QStringLiteral("Clip file \"%1\" has no video stream header").arg(m_name));
            sawMovi = true;
            if (!scanMovi({body.begin + 4, std::min(body.end, m_end)}, 0))
                truncated = true;
            break;
        }
        pos = body.end + (size & 1);
    }
    if (m_fileShort)
        truncated = true;
    if (!m_haveHeader)
        return fail(error, m_fileShort ? damaged()
                                       : QStringLiteral("Clip file \"%1\" has no video stream").arg(m_name));
    if (!sawMovi || frameChunks.isEmpty()) {
        return fail(error, truncated ? QStringLiteral("Clip file \"%1\" is truncated").arg(m_name)
                                     : QStringLiteral("Clip file \"%1\" has no video frames").arg(m_name));
    }
    return true;
}

bool Reader::parseHeaderList(Span list, QString* error)
{
    qint64 pos = list.begin;
    while (pos + 8 <= list.end) {
        const quint32 size = u32(at(pos + 4));
        const Span body{pos + 8, pos + 8 + qint64(size)};
        if (body.end > list.end)
            return fail(error, damaged());
        if (isId(at(pos), "avih") && size >= 4) {
            microSecPerFrame = u32(at(body.begin));
        } else if (isId(at(pos), "LIST") && size >= 4 && isId(at(body.begin), "strl")) {
            if (!parseStreamList({body.begin + 4, body.end}, m_streamCount++, error))
                return false;
        }
        pos = body.end + (size & 1);
    }
    return true;
}

bool Reader::parseStreamList(Span list, int streamNo, QString* error)
{
    if (m_videoStream >= 0)
        return true; // the first video stream is the clip
    bool video = false;
    quint32 streamRate = 0, streamScale = 0;
    qint64 pos = list.begin;
    while (pos + 8 <= list.end) {
        const quint32 size = u32(at(pos + 4));
        const Span body{pos + 8, pos + 8 + qint64(size)};
        if (body.end > list.end)
            return fail(error, damaged());
        if (isId(at(pos), "strh") && size >= 28) {
            video = isId(at(body.begin), "vids");
            streamScale = u32(at(body.begin + 20));
            streamRate = u32(at(body.begin + 24));
        } else if (isId(at(pos), "strf") && video) {
            if (!parseFormat(body, error))
                return false;
            m_videoStream = streamNo;
            m_haveHeader = true;
            rate = streamRate;
            scale = streamScale;
        }
        pos = body.end + (size & 1);
    }
    return true;
}

bool Reader::parseFormat(Span body, QString* error)
{
    // BITMAPINFOHEADER followed by the palette.
    if (body.size() < 40)
        return fail(error, QStringLiteral("Clip file \"%1\" has a damaged video format header").arg(m_name));
    const char* p = at(body.begin);
    const quint32 headerSize = u32(p);
    if (headerSize < 40 || headerSize > body.size())
        return fail(error, QStringLiteral("Clip file \"%1\" has a damaged video format header").arg(m_name));
    const qint32 width = qint32(u32(p + 4));
    const qint32 height = qint32(u32(p + 8));
    format.bitCount = u16(p + 14);
    format.compression = u32(p + 16);
    const quint32 colorsUsed = u32(p + 32);

    const bool supported = (format.compression == kBiRgb
                            && (format.bitCount == 8 || format.bitCount == 24 || format.bitCount == 32))
                           || (format.compression == kBiRle8 && format.bitCount == 8);
    if (!supported) {
        return fail(error, QStringLiteral("Clip file \"%1\" uses an unsupported video format "
                                          "(compression %2, %3 bits per pixel)")
                               .arg(m_name).arg(format.compression).arg(format.bitCount));
    }
    // Top-down frames (negative height) exist only for uncompressed data.
    format.topDown = height < 0 && format.compression == kBiRgb;
    const qint64 absHeight = height < 0 ? -qint64(height) : qint64(height);
    if (width <= 0 || width > kMaxSide || absHeight <= 0 || absHeight > kMaxSide
        || (height < 0 && !format.topDown)) {
        return fail(error, QStringLiteral("Clip file \"%1\" has an impossible frame size %2 × %3")
                               .arg(m_name).arg(width).arg(height));
    }
    format.width = width;
    format.height = int(absHeight);

    if (format.bitCount == 8) {
        const qint64 room = (body.size() - headerSize) / 4;
        const qint64 wanted = colorsUsed == 0 ? 256 : std::min<qint64>(colorsUsed, 256);
        const qint64 count = std::min(room, wanted);
        const char* entry = p + headerSize;
        for (qint64 i = 0; i < count; ++i, entry += 4) {
            const auto* b = reinterpret_cast<const uchar*>(entry);
            format.palette.append(qRgb(b[2], b[1], b[0]));
        }
        // Indices past the stored palette show black instead of reading out of range.
        while (format.palette.size() < 256)
            format.palette.append(qRgb(0, 0, 0));
    }
    return true;
}

bool Reader::scanMovi(Span list, int depth)
{
    const char digits[2] = {char('0' + m_videoStream / 10 % 10), char('0' + m_videoStream % 10)};
    qint64 pos = list.begin;
    while (pos + 8 <= list.end) {
        const char* id = at(pos);
        const quint32 size = u32(at(pos + 4));
        const Span body{pos + 8, pos + 8 + qint64(size)};
        if (body.end > list.end)
            return false;
        if (isId(id, "LIST") && size >= 4) {
            if (isId(at(body.begin), "rec ") && depth < kMaxListDepth
                && !scanMovi({body.begin + 4, body.end}, depth + 1))
                return false;
        } else if (id[0] == digits[0] && id[1] == digits[1]
                   && ((id[2] == 'd' && id[3] == 'b') || (id[2] == 'd' && id[3] == 'c'))) {
            frameChunks.append(body);
        }
        pos = body.end + (size & 1);
    }
    return true;
}

// Copies the index buffer (top row first) into an 8-bit image.
QImage indexedImage(const QByteArray& indices, const VideoFormat& f)
{
    QImage img(f.width, f.height, QImage::Format_Indexed8);
    img.setColorTable(f.palette);
    for (int y = 0; y < f.height; ++y)
        std::memcpy(img.scanLine(y), indices.constData() + qint64(y) * f.width, size_t(f.width));
    return img;
}

// Uncompressed 8-bit rows into the index buffer; a short frame fills what it has.
void copyRgb8(const char* src, qint64 size, const VideoFormat& f, QByteArray& indices)
{
    const qint64 stride = (qint64(f.width) + 3) & ~qint64(3);
    for (int row = 0; row < f.height; ++row) {
        const qint64 from = qint64(row) * stride;
        if (from >= size)
            break;
        const int y = f.topDown ? row : f.height - 1 - row;
        const qint64 n = std::min<qint64>(f.width, size - from);
        std::memcpy(indices.data() + qint64(y) * f.width, src + from, size_t(n));
    }
}

// Uncompressed 24/32-bit rows (BGR order) into an RGB32 image.
void copyRgbTrue(const char* src, qint64 size, const VideoFormat& f, QImage& img)
{
    const int bpp = f.bitCount / 8;
    const qint64 stride = (qint64(f.width) * bpp + 3) & ~qint64(3);
    for (int row = 0; row < f.height; ++row) {
        const qint64 from = qint64(row) * stride;
        if (from >= size)
            break;
        const int y = f.topDown ? row : f.height - 1 - row;
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const int n = int(std::min<qint64>(f.width, (size - from) / bpp));
        const auto* s = reinterpret_cast<const uchar*>(src + from);
        for (int x = 0; x < n; ++x, s += bpp)
            line[x] = qRgb(s[2], s[1], s[0]);
    }
}

} // namespace

bool AviClip::decodeRle8(const QByteArray& data, int width, int height, QByteArray& indices)
{
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return false;
    const qint64 total = qint64(width) * height;
    if (indices.size() != total)
        indices = QByteArray(total, '\0');
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    const qint64 n = data.size();
    char* out = indices.data();
    // x and y count from the bottom-left corner, as the DIB stores lines.
    int x = 0, y = 0;
    auto row = [&](int line) { return out + qint64(height - 1 - line) * width; };
    qint64 p = 0;
    while (p + 1 < n) {
        if (y >= height)
            return true; // past the last line: nothing more can be drawn
        const int count = d[p];
        const int code = d[p + 1];
        p += 2;
        if (count > 0) {
            const int run = std::min(count, width - x);
            if (run > 0)
                std::memset(row(y) + x, code, size_t(run));
            x = std::min(width, x + count);
            continue;
        }
        switch (code) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return true;
        case 2: // delta: skip right and up, leaving those pixels as they were
            if (p + 1 >= n)
                return false;
            x = std::min(width, x + d[p]);
            y = std::min(height, y + d[p + 1]);
            p += 2;
            break;
        default: { // absolute run of `code` literal indices, padded to a word
            const qint64 avail = std::min<qint64>(code, n - p);
            const int run = int(std::min<qint64>(avail, width - x));
            if (run > 0)
                std::memcpy(row(y) + x, d + p, size_t(run));
            if (avail < code)
                return false;
            x = std::min(width, x + code);
            p += code + (code & 1);
            break;
        }
        }
    }
    return y >= height;
}

std::optional<AviClip> AviClip::load(const QString& path, QString* error)
{
    const QString name = QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName();
    auto fail = [&](const QString& why) -> std::optional<AviClip> {
        if (error)
            *error = why;
        return std::nullopt;
    };

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot open clip file \"%1\": %2").arg(path, file.errorString()));
    if (file.size() > kMaxFileBytes)
        return fail(QStringLiteral("Clip file \"%1\" is too large").arg(name));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("Cannot read clip file \"%1\": %2").arg(path, file.errorString()));
    if (data.size() < 12 || !isId(data.constData(), "RIFF") || !isId(data.constData() + 8, "AVI "))
        return fail(QStringLiteral("File \"%1\" is not an AVI clip").arg(name));

    Reader reader(data, 8 + qint64(u32(data.constData() + 4)), name);
    QString why;
    if (!reader.parse(&why))
        return fail(why);

    const VideoFormat& f = reader.format;
    const qint64 frameBytes = qint64(f.width) * f.height * (f.bitCount == 8 ? 1 : 4);
    if (frameBytes * reader.frameChunks.size() > kMaxDecodedBytes)
        return fail(QStringLiteral("Clip file \"%1\" is too large to play").arg(name));

    AviClip clip;
    clip.m_size = QSize(f.width, f.height);
    clip.m_truncated = reader.truncated;
    clip.m_frames.reserve(reader.frameChunks.size());

    // Frames build on each other: RLE skips and empty (dropped) frames leave
    // the previous picture showing.
    QByteArray indices;
    QImage trueColour;
    if (f.bitCount == 8) {
        indices = QByteArray(qint64(f.width) * f.height, '\0');
    } else {
        trueColour = QImage(f.width, f.height, QImage::Format_RGB32);
        trueColour.fill(Qt::black);
    }
    for (const Span& chunk : reader.frameChunks) {
        const char* src = data.constData() + chunk.begin;
        if (chunk.size() > 0) {
            if (f.compression == kBiRle8)
                decodeRle8(QByteArray::fromRawData(src, chunk.size()), f.width, f.height, indices);
            else if (f.bitCount == 8)
                copyRgb8(src, chunk.size(), f, indices);
            else
                copyRgbTrue(src, chunk.size(), f, trueColour);
        }
        if (f.bitCount == 8)
            clip.m_frames.append(indexedImage(indices, f));
        else
            clip.m_frames.append(trueColour); // shared until the next frame writes
    }

    quint32 intervalMs = (reader.microSecPerFrame + 500) / 1000;
    if (intervalMs == 0 && reader.rate > 0 && reader.scale > 0)
        intervalMs = quint32(std::min<quint64>(quint64(reader.scale) * 1000 / reader.rate, 60000));
    clip.m_intervalMs = intervalMs == 0 ? 100 : int(std::clamp<quint32>(intervalMs, 10, 10000));
    return clip;
}

QImage AviClip::frame(int i) const
{
    if (i < 0 || i >= m_frames.size())
        return {};
    return m_frames.at(i);
}
