#pragma once

#include <utility>

#include <unistd.h>

namespace tessel {

// Owns an open file descriptor (a file, directory or socket) and closes it
// when it goes out of scope. A negative number owns nothing.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    { }
    FileDescriptor(FileDescriptor &&other) noexcept
        : m_fd(other.release())
    { }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = other.release();
        }
        return *this;
    }
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    bool isValid() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    // Hands the descriptor over, open, to the caller.
    int release() { return std::exchange(m_fd, -1); }
    // Closes the descriptor now; false when the system reports an error
    // (errno tells which), as it may for data not yet written.
    bool close() { return !isValid() || ::close(release()) == 0; }

private:
    int m_fd;
};

} // namespace tessel
