#pragma once

#include "filelock.h"

#include <QString>

class MessageBoxes;

// The lock that lets one kiosk client run per user. Held for the object's life; the kernel
// releases it if the process dies. Opened close-on-exec, so no child holds it.
class SingleInstanceLock {
public:
    explicit SingleInstanceLock(const QString &lockFilePath);

    // True when this copy holds the lock. Otherwise shows the box that says why (a copy
    // already running, or a lock that cannot be taken) and returns false once it is closed.
    bool comprobar(MessageBoxes &messageBoxes, const QString &caption) const;

private:
    platform::FileLock m_lock;
};
