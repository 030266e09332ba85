#include "platform/engine/folderlock.h"

#include "platform/engine/dataerror.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

std::unique_ptr<FolderLock> FolderLock::take(const QString& folder)
{
    const QString path = QDir(folder).absoluteFilePath(FileName);
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        // A folder that cannot take the lock file cannot take the store's
        // write-ahead log either: opening the store names the cause.
        if (errno == EROFS || errno == EACCES || errno == EPERM || errno == ENOENT)
            return std::unique_ptr<FolderLock>(new FolderLock(-1));
        throw DataError(QStringLiteral("'%1' açılamadı: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        throw FolderInUseError(QStringLiteral("Bu veri klasörünü (%1) başka bir Evlora kullanıyor. Aynı kayıtları iki "
                                       "program birden değiştirmesin diye bu kopya kapanıyor; açık olan Evlora'yı "
                                       "kullanın.")
                            .arg(QDir::toNativeSeparators(QDir(folder).absolutePath())));
    }
    return std::unique_ptr<FolderLock>(new FolderLock(descriptor));
}

FolderLock::~FolderLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor); // closing the file lets the lock go
}
