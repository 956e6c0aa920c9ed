#pragma once

#include <QString>

#include "platform/FileDescriptor.h"

namespace tessel {

// Tells whether another copy of this program is running: one copy per user
// and per application directory, whatever the environment. The claim is an
// advisory lock on a file in the user's own directory under tempRoot (see
// UserTempDirectory), which the system drops when its process ends, so a copy
// that crashed never blocks the next.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &applicationDirectory,
                            const QString &tempRoot = QStringLiteral("/tmp"));
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Claims the program for this process; false when another copy holds it.
    // When no lock can be taken the start is not refused: the reason is
    // reported on the terminal.
    bool claim();

private:
    QString m_applicationDirectory;
    QString m_tempRoot;
    FileDescriptor m_lock;
};

} // namespace tessel
