#include "platform/ProcessLauncher.h"

#include <QFileInfo>
#include <QProcess>

namespace tessel {

bool QtProcessLauncher::startDetached(const QString &program, LaunchFailure *failure)
{
    QProcess process;
    process.setProgram(program);
    if (process.startDetached())
        return true;
    // The system's own description is worded for programmers ("execv: ...");
    // the file tells the plain reason.
    const QFileInfo file(program);
    if (failure) {
        if (!file.exists())
            *failure = LaunchFailure::FileNotFound;
        else if (file.isDir() || !file.isExecutable())
            *failure = LaunchFailure::PermissionDenied;
        else
            *failure = LaunchFailure::NotRunnable;
    }
    return false;
}

} // namespace tessel
