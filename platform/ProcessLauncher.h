#pragma once

#include <QString>

namespace tessel {

// Why a program could not be started, as the user is told.
enum class LaunchFailure {
    FileNotFound,
    PermissionDenied, // not executable by the user, or a directory
    NotRunnable,      // an executable file the system cannot run
};

// Starts external programs, behind an interface that tests can script.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;
    // Starts program as a process of its own, without arguments and without a
    // shell, and does not wait for it. Returns false with failure set when the
    // program could not be started.
    virtual bool startDetached(const QString &program, LaunchFailure *failure) = 0;
};

class QtProcessLauncher final : public ProcessLauncher
{
public:
    bool startDetached(const QString &program, LaunchFailure *failure) override;
};

} // namespace tessel
