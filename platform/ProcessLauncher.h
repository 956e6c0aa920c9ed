#pragma once

#include <QString>

namespace tessel {

// Starts external programs, behind an interface that tests can script.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;
    // Starts program as a process of its own, without arguments and without a
    // shell, and does not wait for it. Returns false with errorText set to the
    // system's description of the failure.
    virtual bool startDetached(const QString &program, QString *errorText) = 0;
};

class QtProcessLauncher final : public ProcessLauncher
{
public:
    bool startDetached(const QString &program, QString *errorText) override;
};

} // namespace tessel
