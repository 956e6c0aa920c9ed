#pragma once

#include <optional>

#include <QString>
#include <QStringList>

#include "platform/ProcessLauncher.h"

namespace tessel::test {

// Records every program start; starts nothing. Each start succeeds unless
// failure is set, which is then given as the reason.
class ScriptedProcessLauncher final : public ProcessLauncher
{
public:
    bool startDetached(const QString &program, LaunchFailure *reason) override
    {
        started.append(program);
        if (!failure)
            return true;
        if (reason)
            *reason = *failure;
        return false;
    }

    QStringList started;
    std::optional<LaunchFailure> failure;
};

} // namespace tessel::test
