#include "fuzz/checks/fuzzchecks.h"

#include "platform/controls/aviclip.h"

#include <QFile>
#include <QTemporaryFile>

namespace FuzzChecks {

void clipReader(QByteArrayView bytes)
{
    // The reader takes a path, as the splash does.
    static QTemporaryFile clip;
    if (!clip.isOpen() && !clip.open())
        qFatal("no scratch file for the clip");
    clip.resize(0);
    clip.seek(0);
    clip.write(bytes.data(), bytes.size());
    clip.flush();

    QString error;
    const std::optional<AviClip> read = AviClip::load(clip.fileName(), &error);
    if (!read) {
        if (error.isEmpty())
            qFatal("a clip refused without a reason");
        return;
    }
    for (int i = 0; i < read->frameCount(); ++i)
        if (read->frame(i).size() != read->size())
            qFatal("frame %d is %dx%d in a %dx%d clip", i, read->frame(i).width(), read->frame(i).height(),
                   read->size().width(), read->size().height());
    if (read->frameIntervalMs() <= 0)
        qFatal("frame interval %d", read->frameIntervalMs());
}

} // namespace FuzzChecks
