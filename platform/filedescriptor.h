#pragma once

#include <QtGlobal>

namespace platform {

// An open file descriptor, closed with the object.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_fd; }
    // Closes the current descriptor, if any, and holds `fd` instead.
    void reset(int fd = -1);
    // Closes it now; false when the system reports an error on closing (a write that failed late).
    bool close();
    // Writes every byte, going on after interruptions; false on an error.
    bool writeAll(const char *data, qsizetype size) const;

private:
    int m_fd;
};

} // namespace platform
