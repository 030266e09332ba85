#include "aviwriter.h"

#include <QSaveFile>

#include <algorithm>

namespace {

constexpr quint32 kAvifHasIndex = 0x10;
constexpr quint32 kAviifKeyFrame = 0x10;

class Riff
{
public:
    void u16(quint32 v) { m_out.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); }
    void u32(quint32 v)
    {
        u16(v & 0xffff);
        u16(v >> 16);
    }
    void id(const char* fourcc) { m_out.append(fourcc, 4); }
    void bytes(const QByteArray& b) { m_out.append(b); }

    // Opens a chunk (or a LIST / RIFF with its type) and returns where its size goes.
    qsizetype open(const char* fourcc, const char* type = nullptr)
    {
        id(fourcc);
        const qsizetype at = m_out.size();
        u32(0);
        if (type)
            id(type);
        return at;
    }
    void close(qsizetype sizeAt)
    {
        const quint32 size = quint32(m_out.size() - sizeAt - 4);
        for (int i = 0; i < 4; ++i)
            m_out[sizeAt + i] = char((size >> (8 * i)) & 0xff);
        if (size & 1)
            m_out.append('\0');
    }
    qsizetype pos() const { return m_out.size(); }
    const QByteArray& data() const { return m_out; }

private:
    QByteArray m_out;
};

} // namespace

bool writeRle8Avi(const QString& path, int width, int height, const QList<QRgb>& palette,
                  const QList<RleFrame>& frames, int microSecPerFrame, QString* error)
{
    if (palette.isEmpty() || palette.size() > 256 || frames.isEmpty() || width <= 0 || height <= 0
        || microSecPerFrame <= 0) {
        if (error)
            *error = QStringLiteral("nothing sensible to write");
        return false;
    }
    quint32 largest = 0;
    for (const RleFrame& f : frames)
        largest = std::max<quint32>(largest, quint32(f.data.size()));
    const quint32 fps = std::max(1, 1000000 / microSecPerFrame);

    Riff r;
    const auto riff = r.open("RIFF", "AVI ");
    const auto hdrl = r.open("LIST", "hdrl");
    const auto avih = r.open("avih");
    r.u32(quint32(microSecPerFrame));
    r.u32(largest * fps);            // max bytes per second
    r.u32(0);                        // padding granularity
    r.u32(kAvifHasIndex);
    r.u32(quint32(frames.size()));   // total frames
    r.u32(0);                        // initial frames
    r.u32(1);                        // streams
    r.u32(largest + 8);              // suggested buffer size
    r.u32(quint32(width));
    r.u32(quint32(height));
    for (int i = 0; i < 4; ++i)
        r.u32(0);
    r.close(avih);

    const auto strl = r.open("LIST", "strl");
    const auto strh = r.open("strh");
    r.id("vids");
    r.id("mrle");
    r.u32(0);                        // flags
    r.u16(0);                        // priority
    r.u16(0);                        // language
    r.u32(0);                        // initial frames
    r.u32(quint32(microSecPerFrame)); // scale / rate = seconds per frame
    r.u32(1000000);
    r.u32(0);                        // start
    r.u32(quint32(frames.size()));   // length
    r.u32(largest + 8);
    r.u32(0xffffffffu);              // quality: default
    r.u32(0);                        // sample size: varies
    r.u16(0);
    r.u16(0);
    r.u16(quint32(width));
    r.u16(quint32(height));
    r.close(strh);

    const auto strf = r.open("strf");
    r.u32(40);
    r.u32(quint32(width));
    r.u32(quint32(height));          // positive: bottom-up, as RLE requires
    r.u16(1);                        // planes
    r.u16(8);                        // bits per pixel
    r.u32(1);                        // BI_RLE8
    r.u32(quint32(width * height));
    r.u32(0);
    r.u32(0);
    r.u32(quint32(palette.size()));  // colours used
    r.u32(0);                        // colours important: all
    for (QRgb c : palette) {
        r.bytes(QByteArray(1, char(qBlue(c))));
        r.bytes(QByteArray(1, char(qGreen(c))));
        r.bytes(QByteArray(1, char(qRed(c))));
        r.bytes(QByteArray(1, '\0'));
    }
    r.close(strf);
    r.close(strl);
    r.close(hdrl);

    const auto movi = r.open("LIST", "movi");
    const qsizetype moviId = movi + 4; // idx1 offsets count from the 'movi' type
    QList<std::pair<quint32, quint32>> index; // offset, size
    for (const RleFrame& f : frames) {
        index.append({quint32(r.pos() - moviId), quint32(f.data.size())});
        const auto chunk = r.open("00dc");
        r.bytes(f.data);
        r.close(chunk);
    }
    r.close(movi);

    const auto idx1 = r.open("idx1");
    for (int i = 0; i < frames.size(); ++i) {
        r.id("00dc");
        r.u32(frames[i].key ? kAviifKeyFrame : 0);
        r.u32(index[i].first);
        r.u32(index[i].second);
    }
    r.close(idx1);
    r.close(riff);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(r.data()) != r.data().size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
