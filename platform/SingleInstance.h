#pragma once

#include <QString>

#include <vector>

#include "platform/AppPaths.h"
#include "platform/FileDescriptor.h"

namespace tessel {

// Tells whether another copy of this program is running: one copy per user
// and per application directory, whatever the environment. The claim is an
// advisory lock on a file in each of the user's own directories under
// tempRoot and cacheRoot (see UserDirectoryUnder) that can be used, so that a
// directory another user planted under tempRoot cannot let a second copy
// start beside one that locked there. The system drops the locks when their
// process ends, so a copy that crashed never blocks the next.
class SingleInstance
{
public:
    enum class Claim {
        Claimed, // this process is the one copy
        AlreadyRunning, // another copy holds the lock
        NoLock, // no lock can be taken anywhere: problem() says why
    };

    explicit SingleInstance(const QString &applicationDirectory,
                            const QString &tempRoot = QStringLiteral("/tmp"),
                            const QString &cacheRoot = UserCacheRoot());
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Claims the program for this process.
    Claim claim();
    // Why no lock could be taken, after claim() gave NoLock.
    QString problem() const { return m_problem; }

private:
    QString m_applicationDirectory;
    QString m_roots[2];
    std::vector<FileDescriptor> m_locks;
    QString m_problem;
};

} // namespace tessel
