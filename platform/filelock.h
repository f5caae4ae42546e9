#pragma once

#include <QString>
#include <chrono>

namespace platform {

// An advisory lock on a file, held for the object's life and released by the kernel if the
// process dies. Opened close-on-exec, so no child inherits it.
class FileLock {
public:
    enum class Wait { Block, DontBlock };
    enum class State { Locked, Busy, Failed };

    explicit FileLock(const QString &lockFilePath, Wait wait = Wait::Block);
    // Waits at most `timeout` for the lock; Busy when another holder kept it that long.
    FileLock(const QString &lockFilePath, std::chrono::milliseconds timeout);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    State state() const { return m_state; }
    bool isLocked() const { return m_state == State::Locked; }
    // Why the lock was not taken: the system's error code, EINVAL when something other than a
    // plain file stands under the lock's name; 0 when locked.
    int error() const { return m_error; }

    // Lock file in the work directory for `subject` (a program or a file path): the file name
    // is the subject's base name plus a hash of its full path, so every path has its own lock.
    static QString pathFor(const QString &subject);

private:
    bool openFile(const QString &lockFilePath);
    int lock(int operation);
    void setState(int error);

    int m_fd = -1;
    State m_state = State::Failed;
    int m_error = 0;
};

} // namespace platform
