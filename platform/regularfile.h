#pragma once

#include <QByteArray>
#include <QString>
#include <sys/stat.h>

namespace platform {

// Reads a whole regular file of at most `maxBytes` into `content`; returns 0 or the system's
// error code. Whatever else may stand under a name taken from a settings file or a print string
// is refused without reading it: a FIFO would hold the reader until somebody writes into it, a
// device never ends, a directory has no content (EINVAL); a larger file gives EFBIG.
int readRegularFile(const QString &path, qint64 maxBytes, QByteArray *content);
// The same for a file already open for reading, from its current position.
int readOpenRegularFile(int fd, qint64 maxBytes, QByteArray *content);

// Whether `path` itself, not through a link, is a regular file of this user's with no other name.
// In a directory that every user may write in, a file that somebody else placed under a name
// this program uses is not this program's file.
bool isOwnRegularFile(const QString &path);

// Opens a file in a directory that several users share, for `access` (O_RDONLY, O_WRONLY or
// O_RDWR, with O_APPEND if wanted), creating it with mode 0666 when it is missing, and reads its
// status into `st`. Never follows a link, never blocks on a FIFO planted in its place, changes the
// mode only of a file it has just made, and never takes a file that has another name too: in the
// shared directory that could be a hard link to a file of whoever runs the program. -1 with errno
// set when it cannot: EINVAL for anything but a regular file with one name.
int openSharedFile(const QByteArray &path, int access, struct stat &st);

} // namespace platform
