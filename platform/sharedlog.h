#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Appends `bytes` to a log file that the programs of several users share. When the file is
// larger than `rotationSize` it first becomes the previous generation `path` + ".1". A file
// made here is writable by every user, so the next user's lines and rotations still fit in it;
// a symbolic link or anything but a regular file in its place is never written through. The
// caller serialises the writers. False when the bytes were not written.
bool appendToSharedLog(const QString &path, const QByteArray &bytes, qint64 rotationSize);

} // namespace platform
