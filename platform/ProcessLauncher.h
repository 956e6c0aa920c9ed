#pragma once

#include <QString>

#include "platform/Result.h"

namespace tessel {

// Why a program could not be started, as the user is told.
enum class LaunchFailure {
    FileNotFound,
    PermissionDenied, // not executable by the user, or a directory
    NotRunnable, // an executable file the system cannot run
};

// Starts external programs, behind an interface that tests can script.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;
    // Starts program as a process of its own, without arguments and without a
    // shell, and does not wait for it; or says why it could not be started.
    virtual Result<void, LaunchFailure> startDetached(const QString &program) = 0;
};

class QtProcessLauncher final : public ProcessLauncher
{
public:
    Result<void, LaunchFailure> startDetached(const QString &program) override;
};

} // namespace tessel
