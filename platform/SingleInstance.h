#pragma once

#include <QString>

namespace tessel {

// Tells whether another copy of this program is running: one copy per user
// and per executable path. The claim is an advisory lock that the system
// drops when its process ends, so a copy that crashed never blocks the next.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &executablePath);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // Claims the program for this process; false when another copy holds it.
    bool claim();

private:
    QString m_lockPath;
    int m_fd = -1;
};

} // namespace tessel
