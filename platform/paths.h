#pragma once

#include <QString>

namespace platform {

// Full path of the running program.
QString executablePath();
// Directory of the running program, ending in "/": every file of the system sits beside it.
QString installationDirectory();
// Log and work directory: $ZELVORA_TEMP_DIR, else "/var/tmp/Zelvora Temp". No trailing "/".
QString workDirectory();
// Creates the work directory (one level, shared by every user like /tmp) when missing.
bool ensureWorkDirectory();
// Whether this user's files may be written in the work directory: it is a directory of root's or
// of this user's, and whoever else may write in it cannot remove or replace others' files
// (sticky bit). Another user's directory could hold anything they prepared for us.
bool workDirectoryIsSafe();
// The user's temporary directory, ending in "/".
QString temporaryDirectory();
// A directory of the user's own (mode 0700) in the temporary directory, ending in "/", where
// downloads are written to be opened: other users can neither read them nor plant a file or
// link under their names first. Created when missing; empty when none can be had.
QString userTemporaryDirectory();
// Lock file of a per-user single instance: "<name>.lock" in $XDG_RUNTIME_DIR, else
// "<name>-<user id>.lock" in the work directory (created when missing), which all users share.
QString singleInstanceLockPath(const QString &name);

} // namespace platform
