#pragma once

#include <QString>
#include <QStringList>

#include "platform/ProcessLauncher.h"

namespace tessel::test {

// Records every program start; starts nothing. Each start succeeds unless
// failure is set, which is then given as the system's description.
class ScriptedProcessLauncher final : public ProcessLauncher
{
public:
    bool startDetached(const QString &program, QString *errorText) override
    {
        started.append(program);
        if (failure.isEmpty())
            return true;
        if (errorText)
            *errorText = failure;
        return false;
    }

    QStringList started;
    QString failure;
};

} // namespace tessel::test
