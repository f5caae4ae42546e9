#pragma once

#include <QList>
#include <QString>

// The live processes of a process tree, read from /proc.
namespace processtree {

// `root` and every live descendant of it (zombies left out).
QList<qint64> liveTree(qint64 root);
bool isLive(qint64 pid);
// The children of `parent` that ended and that it has not reaped.
QList<qint64> unreapedChildren(qint64 parent);
// The program file a process runs.
QString executable(qint64 pid);
QStringList arguments(qint64 pid);
// Whether one of the process's open files is `path`.
bool holdsFile(qint64 pid, const QString &path);
// Whether the process holds a flock on `path`; read from /proc/locks, so nobody else's lock
// attempt disturbs its own.
bool holdsLock(qint64 pid, const QString &path);
// Peak resident memory (VmHWM) in KiB, 0 when unknown.
qint64 peakResidentKiB(qint64 pid);

} // namespace processtree
