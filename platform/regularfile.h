#pragma once

#include <QByteArray>
#include <QString>

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

} // namespace platform
