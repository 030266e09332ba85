#include "platform/system/safefilewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype BufferSize = 64 * 1024;

// Writes all of length bytes at the descriptor's position; false with errno set.
bool writeAll(int fd, const char* data, qint64 length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, size_t(length));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}

} // namespace

SafeFileWriter::SafeFileWriter(const QString& path) : m_path(path) {}

SafeFileWriter::~SafeFileWriter()
{
    discard();
}

QString SafeFileWriter::reason(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("diskte yer kalmadı; yer açıp yeniden deneyin");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("klasöre yazma izni yok; başka bir klasör seçin");
    case EFBIG:
        return QStringLiteral("dosya bu diskin ya da sistemin izin verdiği boyutu aşıyor; başka bir diske kaydedin");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("klasör bulunamadı; var olan bir klasör seçin");
    case EISDIR:
        return QStringLiteral("bu adda bir klasör var; başka bir ad seçin");
    case ENAMETOOLONG:
        return QStringLiteral("dosya adı çok uzun; daha kısa bir ad seçin");
    case EIO:
        return QStringLiteral("disk yazılırken hata oldu; diski denetleyip yeniden deneyin");
    default:
        return QStringLiteral("dosya yazılırken beklenmeyen bir hata oldu (hata %1)").arg(error);
    }
}

bool SafeFileWriter::fail(int error)
{
    if (m_error.isEmpty()) {
        QString text = QStringLiteral("%1: %2.").arg(QDir::toNativeSeparators(m_path), reason(error));
        if (QFileInfo(m_path).isFile())
            text += QStringLiteral(" Aynı adlı önceki dosya olduğu gibi duruyor.");
        m_error = text;
    }
    removeTemporary();
    setErrorString(m_error);
    return false;
}

void SafeFileWriter::removeTemporary()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
    m_buffer.clear();
}

bool SafeFileWriter::open(OpenMode mode)
{
    if (isOpen() || !(mode & WriteOnly) || (mode & ReadOnly))
        return false;
    m_error.clear();
    const QFileInfo target(m_path);
    if (target.isDir())
        return fail(EISDIR);
    const QString folder = target.absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral(".%1.%2.yaziliyor")
                                 .arg(target.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QByteArray temporary = QFile::encodeName(QDir(folder).filePath(name));
        // The mode goes through the umask, as for any file the user makes.
        const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temporary = temporary;
            break;
        }
        if (errno != EEXIST)
            return fail(errno);
    }
    if (m_fd < 0)
        return fail(EEXIST);
    // A file replaced keeps its permissions.
    struct stat old;
    if (::stat(QFile::encodeName(m_path).constData(), &old) == 0)
        ::fchmod(m_fd, old.st_mode & 07777);
    m_size = 0;
    m_filePos = 0;
    m_buffer.reserve(BufferSize);
    return QIODevice::open(WriteOnly | Unbuffered);
}

bool SafeFileWriter::flushBuffer()
{
    if (m_fd < 0)
        return false;
    if (m_buffer.isEmpty())
        return true;
    if (!writeAll(m_fd, m_buffer.constData(), m_buffer.size()))
        return fail(errno);
    m_filePos += m_buffer.size();
    m_buffer.clear();
    return true;
}

qint64 SafeFileWriter::writeData(const char* data, qint64 length)
{
    if (m_fd < 0)
        return -1;
    // QIODevice keeps the position; writing elsewhere than the end goes straight to the file.
    const qint64 at = pos();
    if (at != m_filePos + m_buffer.size()) {
        if (!flushBuffer())
            return -1;
        if (::lseek(m_fd, at, SEEK_SET) < 0)
            return fail(errno), -1;
        m_filePos = at;
    }
    if (m_buffer.size() + length > BufferSize) {
        if (!flushBuffer())
            return -1;
        if (length >= BufferSize) {
            if (!writeAll(m_fd, data, length))
                return fail(errno), -1;
            m_filePos += length;
            m_size = std::max(m_size, m_filePos);
            return length;
        }
    }
    m_buffer.append(data, length);
    m_size = std::max(m_size, m_filePos + m_buffer.size());
    return length;
}

bool SafeFileWriter::seek(qint64 position)
{
    if (m_fd < 0 || position < 0)
        return false;
    return QIODevice::seek(position);
}

bool SafeFileWriter::commit()
{
    if (!isOpen())
        return false;
    QIODevice::close();
    if (m_fd < 0 || !flushBuffer())
        return false;
    if (::fsync(m_fd) != 0)
        return fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(m_temporary.constData(), QFile::encodeName(m_path).constData()) != 0)
        return fail(errno);
    m_temporary.clear();
    // The rename itself reaches the disk with the folder.
    const int folder = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void SafeFileWriter::discard()
{
    if (isOpen())
        QIODevice::close();
    removeTemporary();
}

QString writeFileSafely(const QString& path, const QByteArray& bytes)
{
    SafeFileWriter file(path);
    if (!file.open() || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString message = file.errorMessage();
        return message.isEmpty() ? QStringLiteral("%1: %2.").arg(QDir::toNativeSeparators(path), SafeFileWriter::reason(EIO))
                                 : message;
    }
    return {};
}

QString offeredFileName(const QString& title, const QString& fallback, const QString& suffix)
{
    QString name = title.simplified();
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar& c : name)
        if (forbidden.contains(c))
            c = QLatin1Char('_');
    return (name.isEmpty() ? fallback : name) + QLatin1Char('.') + suffix;
}
