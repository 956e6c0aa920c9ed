#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessel::test {

// Runs body in a child process, which ends when body returns.
template<typename Body>
pid_t Spawn(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        body();
        ::_exit(0);
    }
    return pid;
}

// Waits for the child and gives its exit code, or -1 when a signal ended it.
inline int ExitCodeOf(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tessel::test
