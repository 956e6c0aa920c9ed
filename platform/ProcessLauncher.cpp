#include "platform/ProcessLauncher.h"

#include <QProcess>

namespace tessel {

bool QtProcessLauncher::startDetached(const QString &program, QString *errorText)
{
    QProcess process;
    process.setProgram(program);
    if (process.startDetached())
        return true;
    if (errorText)
        *errorText = process.errorString();
    return false;
}

} // namespace tessel
