#include "platform/controls/aviclip.h"
#include "platform/controls/clipplayer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QRgb kSplashBlue = qRgb(53, 88, 255);

QByteArray bytes(std::initializer_list<char> b) { return QByteArray(b.begin(), qsizetype(b.size())); }
QByteArray le16(quint32 v) { return bytes({char(v & 0xff), char((v >> 8) & 0xff)}); }
QByteArray le32(quint32 v) { return le16(v & 0xffff) + le16(v >> 16); }

QByteArray chunk(const char* id, const QByteArray& body)
{
    QByteArray out = QByteArray(id, 4) + le32(quint32(body.size())) + body;
    if (body.size() & 1)
        out.append('\0');
    return out;
}

QByteArray list(const char* type, const QByteArray& body, const char* id = "LIST")
{
    return chunk(id, QByteArray(type, 4) + body);
}

QByteArray bitmapInfo(int width, int height, int bits, int compression, const QList<QRgb>& palette)
{
    QByteArray b = le32(40) + le32(quint32(width)) + le32(quint32(height)) + le16(1) + le16(quint32(bits))
                   + le32(quint32(compression)) + le32(0) + le32(0) + le32(0)
                   + le32(quint32(palette.size())) + le32(0);
    for (QRgb c : palette)
        b += bytes({char(qBlue(c)), char(qGreen(c)), char(qRed(c)), '\0'});
    return b;
}

// A one-stream AVI around the given strf body and movi content.
QByteArray makeAvi(const QByteArray& strf, const QByteArray& movi, quint32 usPerFrame,
                   quint32 rate = 0, quint32 scale = 0)
{
    QByteArray avih = le32(usPerFrame) + QByteArray(52, '\0');
    QByteArray strh = QByteArray("vidsDIB ", 8) + QByteArray(12, '\0') + le32(scale) + le32(rate)
                      + QByteArray(28, '\0');
    const QByteArray hdrl = list("hdrl", chunk("avih", avih) + list("strl", chunk("strh", strh) + chunk("strf", strf)));
    return list("AVI ", hdrl + list("movi", movi), "RIFF");
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& data)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString shippedClipPath()
{
    return qEnvironmentVariable("EVLORA_SOURCE_DIR") + QStringLiteral("/assets/ani34.avi");
}

QByteArray shippedClipBytes()
{
    QFile f(shippedClipPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qsizetype find(const QByteArray& data, const char* fourcc) { return data.indexOf(QByteArray(fourcc, 4)); }

void put32(QByteArray& data, qsizetype at, quint32 v) { data.replace(at, 4, le32(v)); }

} // namespace

class TestAviClip : public QObject
{
    Q_OBJECT
private slots:
    void shippedClipPlaysOnTheSplash();
    void truncatedClipKeepsWholeFrames();
    void cutAnywhereNeverCrashes();
    void absurdHeaderSizesGiveAnError_data();
    void absurdHeaderSizesGiveAnError();
    void scrambledHeaderNeverCrashes();
    void missingOrForeignFile();
    void uncompressedOrientationAndPalette_data();
    void uncompressedOrientationAndPalette();
    void trueColourFrames();
    void rle8Escapes();
    void rle8DamagedData();
    void rleClipKeepsSkippedPixelsBetweenFrames();
    void playerLoopsTheSplashRange();
    void playerRunsOnItsTimer();
    void playerStaysInertWithoutClip();
};

void TestAviClip::shippedClipPlaysOnTheSplash()
{
    QString error;
    const auto clip = AviClip::load(shippedClipPath(), &error);
    QVERIFY2(clip, qPrintable(error));
    QVERIFY(!clip->isTruncated());
    QVERIFY(clip->frameCount() >= 14);
    QVERIFY(clip->size().width() <= 150 && clip->size().height() <= 120); // leaves room on 300 × 145
    QVERIFY(clip->frameIntervalMs() >= 40 && clip->frameIntervalMs() <= 500);
    for (int i = 0; i < clip->frameCount(); ++i) {
        const QImage f = clip->frame(i);
        QCOMPARE(f.size(), clip->size());
        QCOMPARE(f.pixel(0, 0), kSplashBlue); // blends into the splash background
        QCOMPARE(f.pixel(f.width() - 1, 0), kSplashBlue);
        QVERIFY(f.colorCount() <= 256);
    }
    // Every step of the played range shows something new, and the loop end differs from its start.
    for (int i = 1; i <= 13; ++i)
        QVERIFY2(clip->frame(i) != clip->frame(i - 1), qPrintable(QString::number(i)));
    QVERIFY(clip->frame(13) != clip->frame(0));
    QVERIFY(clip->frame(-1).isNull());
    QVERIFY(clip->frame(clip->frameCount()).isNull());
}

void TestAviClip::truncatedClipKeepsWholeFrames()
{
    const QByteArray full = shippedClipBytes();
    QVERIFY(!full.isEmpty());
    const auto whole = AviClip::load(shippedClipPath());
    QVERIFY(whole);
    const qsizetype movi = find(full, "movi");
    const qsizetype idx1 = find(full, "idx1");
    QVERIFY(movi > 0 && idx1 > movi);

    QTemporaryDir dir;
    const QString path = writeFile(dir, "cut.avi", full.left((movi + idx1) / 2));
    QString error;
    const auto cut = AviClip::load(path, &error);
    QVERIFY2(cut, qPrintable(error));
    QVERIFY(cut->isTruncated());
    QVERIFY(cut->frameCount() > 0 && cut->frameCount() < whole->frameCount());
    for (int i = 0; i < cut->frameCount(); ++i)
        QCOMPARE(cut->frame(i), whole->frame(i));

    // Cut before the first frame is whole: nothing to show, and the reason says so.
    const QString early = writeFile(dir, "early.avi", full.left(movi + 12));
    QVERIFY(!AviClip::load(early, &error));
    QVERIFY2(error.contains("truncated"), qPrintable(error));
}

void TestAviClip::cutAnywhereNeverCrashes()
{
    const QByteArray full = shippedClipBytes();
    QTemporaryDir dir;
    for (qsizetype len = 0; len < full.size(); len += 29) {
        const QString path = writeFile(dir, "cut.avi", full.left(len));
        QString error;
        const auto clip = AviClip::load(path, &error);
        if (clip)
            QVERIFY(clip->isTruncated() && clip->frameCount() > 0);
        else
            QVERIFY(!error.isEmpty());
    }
}

void TestAviClip::absurdHeaderSizesGiveAnError_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("offset");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("reason");
    // offsets count from the chunk's four-character code
    QTest::newRow("avih chunk size") << QByteArray("avih") << 4 << 0xfffffff0u << "damaged";
    QTest::newRow("hdrl list size") << QByteArray("hdrl") << -4 << 0x7fffffffu << "damaged";
    QTest::newRow("strf chunk size") << QByteArray("strf") << 4 << 0x10000000u << "damaged";
    QTest::newRow("frame width") << QByteArray("strf") << 12 << 0x7fffffffu << "frame size";
    QTest::newRow("frame height") << QByteArray("strf") << 16 << 1000000u << "frame size";
    QTest::newRow("zero width") << QByteArray("strf") << 12 << 0u << "frame size";
    QTest::newRow("bitmap header size") << QByteArray("strf") << 8 << 0xffffff00u << "format header";
    QTest::newRow("compression") << QByteArray("strf") << 24 << 0x47504a4du << "unsupported";
}

void TestAviClip::absurdHeaderSizesGiveAnError()
{
    QFETCH(QByteArray, field);
    QFETCH(int, offset);
    QFETCH(quint32, value);
    QFETCH(QString, reason);
    QByteArray data = shippedClipBytes();
    const qsizetype at = find(data, field.constData());
    QVERIFY(at > 0);
    put32(data, at + offset, value);
    QTemporaryDir dir;
    QString error;
    QVERIFY(!AviClip::load(writeFile(dir, "ani34.avi", data), &error));
    QVERIFY2(error.contains(reason) && error.contains("ani34.avi"), qPrintable(error));
}

void TestAviClip::scrambledHeaderNeverCrashes()
{
    const QByteArray full = shippedClipBytes();
    const qsizetype headerEnd = find(full, "movi") + 64;
    QRandomGenerator rng(34);
    QTemporaryDir dir;
    for (int round = 0; round < 400; ++round) {
        QByteArray data = full;
        for (int n = 0; n < 4; ++n)
            data[rng.bounded(qint64(headerEnd))] = char(rng.bounded(256));
        QString error;
        const auto clip = AviClip::load(writeFile(dir, "x.avi", data), &error);
        if (clip) {
            QVERIFY(clip->frameCount() > 0);
            QVERIFY(!clip->frame(0).isNull());
        } else {
            QVERIFY(!error.isEmpty());
        }
    }
}

void TestAviClip::missingOrForeignFile()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!AviClip::load(dir.filePath("ani34.avi"), &error));
    QVERIFY2(error.contains("ani34.avi"), qPrintable(error));

    error.clear();
    QVERIFY(!AviClip::load(writeFile(dir, "notes.avi", "RIFF\x04\0\0\0WAVE"), &error));
    QVERIFY2(error.contains("not an AVI"), qPrintable(error));

    // A well-formed header whose movi holds no video chunk.
    error.clear();
    const QByteArray empty = makeAvi(bitmapInfo(2, 2, 8, 0, {}), chunk("01wb", "xx"), 100000);
    QVERIFY(!AviClip::load(writeFile(dir, "empty.avi", empty), &error));
    QVERIFY2(error.contains("no video frames"), qPrintable(error));
}

void TestAviClip::uncompressedOrientationAndPalette_data()
{
    QTest::addColumn<bool>("topDown");
    QTest::newRow("bottom-up") << false;
    QTest::newRow("top-down") << true;
}

void TestAviClip::uncompressedOrientationAndPalette()
{
    QFETCH(bool, topDown);
    const QList<QRgb> palette{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    // 3 × 2 frames, rows padded to 4 bytes. Picture, top row first:
    //   frame 0: 1 2 3 / 0 0 1     frame 1: 3 3 3 / 2 2 2
    auto rows = [&](QByteArray top, QByteArray bottom) {
        top.append('\x7f');
        bottom.append('\x7f');
        return topDown ? top + bottom : bottom + top;
    };
    const QByteArray f0 = rows("\x01\x02\x03", QByteArray("\x00\x00\x01", 3));
    const QByteArray f1 = rows("\x03\x03\x03", "\x02\x02\x02");
    // The second frame sits in a 'rec ' list, as interleaving writers store it.
    const QByteArray movi = chunk("00db", f0) + list("rec ", chunk("00db", f1));
    // No avih rate: the stream's rate / scale (5 frames a second) decides.
    const QByteArray avi = makeAvi(bitmapInfo(3, topDown ? -2 : 2, 8, 0, palette), movi, 0, 5, 1);
    QTemporaryDir dir;
    QString error;
    const auto clip = AviClip::load(writeFile(dir, "tiny.avi", avi), &error);
    QVERIFY2(clip, qPrintable(error));
    QCOMPARE(clip->frameCount(), 2);
    QCOMPARE(clip->size(), QSize(3, 2));
    QCOMPARE(clip->frameIntervalMs(), 200);
    const QImage a = clip->frame(0), b = clip->frame(1);
    QCOMPARE(a.pixel(0, 0), qRgb(255, 0, 0));
    QCOMPARE(a.pixel(1, 0), qRgb(0, 255, 0));
    QCOMPARE(a.pixel(2, 0), qRgb(0, 0, 255));
    QCOMPARE(a.pixel(0, 1), qRgb(0, 0, 0));
    QCOMPARE(a.pixel(2, 1), qRgb(255, 0, 0));
    QCOMPARE(b.pixel(1, 0), qRgb(0, 0, 255));
    QCOMPARE(b.pixel(1, 1), qRgb(0, 255, 0));
    // Indices past the four stored colours read as black, not garbage.
    QCOMPARE(b.color(200), qRgb(0, 0, 0));
}

void TestAviClip::trueColourFrames()
{
    // 3 × 2, 24-bit rows of 9 bytes padded to 12, then a 32-bit copy; bottom row first.
    const QByteArray bottom24 = QByteArray("\x10\x20\x30\x40\x50\x60\x70\x80\x90\0\0\0", 12);
    const QByteArray top24 = QByteArray("\xff\0\0\0\xff\0\0\0\xff\0\0\0", 12);
    QByteArray frame32;
    for (const QByteArray& row : {bottom24, top24})
        for (int x = 0; x < 3; ++x)
            frame32 += row.mid(x * 3, 3) + '\0';
    QTemporaryDir dir;
    for (int bits : {24, 32}) {
        const QByteArray frame = bits == 24 ? bottom24 + top24 : frame32;
        const QByteArray avi = makeAvi(bitmapInfo(3, 2, bits, 0, {}), chunk("00db", frame), 40000);
        QString error;
        const auto clip = AviClip::load(writeFile(dir, QString("rgb%1.avi").arg(bits), avi), &error);
        QVERIFY2(clip, qPrintable(error));
        QCOMPARE(clip->frameIntervalMs(), 40);
        const QImage f = clip->frame(0);
        QCOMPARE(f.pixel(0, 0), qRgb(0, 0, 255)); // stored as B, G, R
        QCOMPARE(f.pixel(2, 0), qRgb(255, 0, 0));
        QCOMPARE(f.pixel(0, 1), qRgb(0x30, 0x20, 0x10));
        QCOMPARE(f.pixel(2, 1), qRgb(0x90, 0x80, 0x70));
    }
}

void TestAviClip::rle8Escapes()
{
    // 4 × 3 over a buffer of 9s, DIB lines from the bottom:
    //   line 0: run of three 5s, end of line
    //   line 1: absolute 1 2 3 (odd, so padded), end of line
    //   line 2: delta right 2, one 7, end of bitmap; anything after is ignored
    const QByteArray data("\x03\x05\x00\x00"
                          "\x00\x03\x01\x02\x03\x00\x00\x00"
                          "\x00\x02\x02\x00\x01\x07\x00\x01"
                          "\x04\x08",
                          22);
    QByteArray buffer(12, '\x09');
    QVERIFY(AviClip::decodeRle8(data, 4, 3, buffer));
    QCOMPARE(buffer, QByteArray("\x09\x09\x07\x09"
                                "\x01\x02\x03\x09"
                                "\x05\x05\x05\x09",
                                12));

    // Runs and deltas past the edges are clipped, not written out of bounds.
    QByteArray small(4, '\0');
    QVERIFY(AviClip::decodeRle8(QByteArray("\xff\x06\x00\x02\xff\xff\x01\x04", 8), 2, 2, small));
    QCOMPARE(small, QByteArray("\0\0\x06\x06", 4));
}

void TestAviClip::rle8DamagedData()
{
    // An absolute run announcing 5 indices with only 2 left: those 2 are drawn.
    QByteArray buffer(4, '\0');
    QVERIFY(!AviClip::decodeRle8(QByteArray("\x00\x05\x01\x02", 4), 4, 1, buffer));
    QCOMPARE(buffer, QByteArray("\x01\x02\x00\x00", 4));
    QVERIFY(!AviClip::decodeRle8(QByteArray("\x00\x02\x01", 3), 4, 1, buffer)); // cut delta
    QVERIFY(!AviClip::decodeRle8(QByteArray(), 4, 1, buffer));
    QVERIFY(!AviClip::decodeRle8(QByteArray("\x01\x01", 2), 100000, 100000, buffer)); // refuses absurd sizes
}

void TestAviClip::rleClipKeepsSkippedPixelsBetweenFrames()
{
    const QList<QRgb> palette{qRgb(0, 0, 0), qRgb(10, 10, 10), qRgb(20, 20, 20)};
    // Frame 0 fills 2 × 2 with index 1; frame 1 skips to the top-right pixel and sets it to 2;
    // frame 2 is empty (a dropped frame) and repeats frame 1.
    const QByteArray f0("\x02\x01\x00\x00\x02\x01\x00\x01", 8);
    const QByteArray f1("\x00\x02\x01\x01\x01\x02\x00\x01", 8);
    const QByteArray movi = chunk("00dc", f0) + chunk("00dc", f1) + chunk("00dc", {});
    QTemporaryDir dir;
    QString error;
    const auto clip = AviClip::load(writeFile(dir, "rle.avi", makeAvi(bitmapInfo(2, 2, 8, 1, palette), movi, 100000)), &error);
    QVERIFY2(clip, qPrintable(error));
    QCOMPARE(clip->frameCount(), 3);
    QCOMPARE(clip->frame(0).pixel(1, 0), qRgb(10, 10, 10));
    QCOMPARE(clip->frame(1).pixel(1, 0), qRgb(20, 20, 20));
    QCOMPARE(clip->frame(1).pixel(0, 0), qRgb(10, 10, 10));
    QCOMPARE(clip->frame(1).pixel(0, 1), qRgb(10, 10, 10));
    QCOMPARE(clip->frame(2), clip->frame(1));
    QCOMPARE(clip->frame(0).pixel(1, 0), qRgb(10, 10, 10)); // earlier frames stay as they were
}

void TestAviClip::playerLoopsTheSplashRange()
{
    ClipPlayer player;
    QCOMPARE(player.objectName(), QString("Animate1"));
    QCOMPARE(player.accessibleName(), QString("Animasyon"));
    QVERIFY2(player.open(shippedClipPath()), qPrintable(player.errorString()));
    QVERIFY(player.play(0, 13));
    QVERIFY(player.isPlaying());
    QCOMPARE(player.currentFrame(), 0);
    QSignalSpy frames(&player, &ClipPlayer::frameChanged);
    for (int i = 1; i <= 13; ++i) {
        player.step();
        QCOMPARE(player.currentFrame(), i);
    }
    player.step();
    QCOMPARE(player.currentFrame(), 0);
    QCOMPARE(frames.size(), 14);

    // The frame is drawn centred on the control.
    const auto clip = AviClip::load(shippedClipPath());
    player.resize(300, 145);
    player.seek(13);
    const QImage shot = player.grab().toImage();
    const QPoint origin((300 - clip->size().width()) / 2, (145 - clip->size().height()) / 2);
    const QImage expected = clip->frame(13);
    for (QPoint p : {QPoint(40, 40), QPoint(20, 50), QPoint(0, 0)})
        QCOMPARE(shot.pixel(origin + p), expected.pixel(p));

    // A range past the clip's end is cut to its last frame.
    QVERIFY(player.play(3, 999));
    for (int i = 3; i < player.frameCount() - 1; ++i)
        player.step();
    QCOMPARE(player.currentFrame(), player.frameCount() - 1);
    player.step();
    QCOMPARE(player.currentFrame(), 3);
    player.stop();
    QVERIFY(!player.isPlaying());
}

void TestAviClip::playerRunsOnItsTimer()
{
    ClipPlayer player;
    QVERIFY(player.open(shippedClipPath()));
    QVERIFY(player.play(0, 13));
    QVERIFY(QTest::qWaitFor([&] { return player.currentFrame() >= 2; }, 3000));
    player.stop();
    const int at = player.currentFrame();
    QTest::qWait(300);
    QCOMPARE(player.currentFrame(), at);
}

void TestAviClip::playerStaysInertWithoutClip()
{
    QTemporaryDir dir;
    ClipPlayer player;
    player.resize(80, 60);
    QVERIFY(!player.open(dir.filePath("ani34.avi")));
    QVERIFY(!player.errorString().isEmpty());
    QVERIFY(!player.isOpen());
    QVERIFY(!player.play(0, 13));
    QVERIFY(!player.isPlaying());
    player.step();
    player.seek(5);
    QCOMPARE(player.currentFrame(), 0);
    QVERIFY(!player.grab().isNull()); // paints nothing, without failing

    // A failed open also drops a clip that was open before.
    QVERIFY(player.open(shippedClipPath()));
    QVERIFY(player.play(0, 13));
    QVERIFY(!player.open(dir.filePath("gone.avi")));
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.frameCount(), 0);
}

QTEST_MAIN(TestAviClip)
#include "tst_aviclip.moc"
