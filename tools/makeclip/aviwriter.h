#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QString>

struct RleFrame
{
    QByteArray data; // RLE-8 data of the frame
    bool key = false;  // decodable without the frames before it
};

// Writes a one-stream RIFF AVI whose video is RLE-8 compressed with the given
// palette (at most 256 colours), with an idx1 index. Returns false and sets
// error when the file cannot be written; an existing file is left intact then.
bool writeRle8Avi(const QString& path, int width, int height, const QList<QRgb>& palette,
                  const QList<RleFrame>& frames, int microSecPerFrame, QString* error);
