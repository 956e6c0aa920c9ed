#include "platform/ProcessLauncher.h"

#include <QFileInfo>
#include <QProcess>

namespace tessel {

Result<void, LaunchFailure> QtProcessLauncher::startDetached(const QString &program)
{
    QProcess process;
    process.setProgram(program);
    if (process.startDetached())
        return {};
    // The system's own description is worded for programmers ("execv: ...");
    // the file tells the plain reason.
    const QFileInfo file(program);
    if (!file.exists())
        return Failure{LaunchFailure::FileNotFound};
    if (file.isDir() || !file.isExecutable())
        return Failure{LaunchFailure::PermissionDenied};
    return Failure{LaunchFailure::NotRunnable};
}

} // namespace tessel
