#pragma once

#include <optional>

#include <QStringList>

#include "platform/ProcessLauncher.h"

namespace tessel::test {

// Records every program start; starts nothing. Each start succeeds unless
// failure is set, which is then given as the reason.
class ScriptedProcessLauncher final : public ProcessLauncher
{
public:
    Result<void, LaunchFailure> startDetached(const QString &program) override
    {
        started.append(program);
        if (failure)
            return Failure{*failure};
        return {};
    }

    QStringList started;
    std::optional<LaunchFailure> failure;
};

} // namespace tessel::test
