#pragma once

#include "platform/engine/dataerror.h"

#include <QString>
#include <memory>

// Another copy of the program holds the folder.
class FolderInUseError : public DataError {
public:
    using DataError::DataError;
};

// Keeps a second copy of the program off a data folder that one copy is
// using. The lock is the operating system's lock on a small file in the
// folder, held by the running process: it goes with the process however that
// ends, so a crashed program never leaves the folder locked.
class FolderLock {
public:
    // Throws FolderInUseError with the clerk's message when another copy
    // holds the folder, DataError when the lock file cannot be made. Touches
    // nothing else.
    static std::unique_ptr<FolderLock> take(const QString& folder);
    ~FolderLock();

    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    static inline const QString FileName = QStringLiteral("evlora.kilit");

private:
    explicit FolderLock(int descriptor) : m_descriptor(descriptor) {}
    int m_descriptor = -1;
};
