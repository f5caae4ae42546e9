#include "processtree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <sys/stat.h>

namespace processtree {

namespace {

// Parent and state of a process from /proc/PID/stat; the command may hold spaces and ")".
bool readStat(qint64 pid, qint64 *parent, char *state)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 2)
        return false;
    *state = fields[0].isEmpty() ? '?' : fields[0][0];
    *parent = fields[1].toLongLong();
    return true;
}

} // namespace

bool isLive(qint64 pid)
{
    qint64 parent = 0;
    char state = '?';
    return readStat(pid, &parent, &state) && state != 'Z' && state != 'X';
}

namespace {

struct Process {
    qint64 pid;
    qint64 parent;
    char state;
};

QList<Process> everyProcess()
{
    QList<Process> processes;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        Process process{entry.toLongLong(&numeric), 0, '?'};
        if (numeric && readStat(process.pid, &process.parent, &process.state))
            processes << process;
    }
    return processes;
}

bool ended(const Process &process)
{
    return process.state == 'Z' || process.state == 'X';
}

} // namespace

QList<qint64> liveTree(qint64 root)
{
    QMultiMap<qint64, qint64> children;
    for (const Process &process : everyProcess())
        if (!ended(process))
            children.insert(process.parent, process.pid);
    QList<qint64> tree;
    if (isLive(root))
        tree << root;
    for (qsizetype i = 0; i < tree.size(); ++i)
        tree << children.values(tree[i]);
    return tree;
}

QList<qint64> unreapedChildren(qint64 parent)
{
    QList<qint64> children;
    for (const Process &process : everyProcess())
        if (ended(process) && process.parent == parent)
            children << process.pid;
    return children;
}

QString executable(qint64 pid)
{
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
}

QStringList arguments(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList list;
    for (const QByteArray &argument : file.readAll().split('\0'))
        if (!argument.isEmpty())
            list << QString::fromLocal8Bit(argument);
    return list;
}

bool holdsFile(qint64 pid, const QString &path)
{
    const QString fdDir = QStringLiteral("/proc/%1/fd").arg(pid);
    const QStringList fds = QDir(fdDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &fd : fds)
        if (QFileInfo(fdDir + u'/' + fd).symLinkTarget() == path)
            return true;
    return false;
}

bool holdsLock(qint64 pid, const QString &path)
{
    struct stat file {};
    QFile locks(QStringLiteral("/proc/locks"));
    if (stat(QFile::encodeName(path).constData(), &file) != 0 || !locks.open(QIODevice::ReadOnly))
        return false;
    // "1: FLOCK  ADVISORY  WRITE 4242 fe:01:1234 0 EOF"; a waiting lock has "->" after its number.
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 6 && fields[1] == "FLOCK" && fields[4].toLongLong() == pid &&
            fields[5].split(':').value(2).toULongLong() == file.st_ino)
            return true;
    }
    return false;
}

qint64 peakResidentKiB(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

} // namespace processtree
