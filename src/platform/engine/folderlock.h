#pragma once

#include <QString>
#include <memory>

// Keeps a second copy of the program off a data folder that one copy is
// using. The lock is the operating system's lock on a small file in the
// folder, held by the running process: it goes with the process however that
// ends, so a crashed program never leaves the folder locked.
class FolderLock {
public:
    // Throws DataError with the clerk's message when another copy holds the
    // folder or the lock file cannot be made. Touches nothing else.
    static std::unique_ptr<FolderLock> take(const QString& folder);
    ~FolderLock();

    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    static inline const QString FileName = QStringLiteral("evlora.kilit");

private:
    explicit FolderLock(int descriptor) : m_descriptor(descriptor) {}
    int m_descriptor = -1;
};
