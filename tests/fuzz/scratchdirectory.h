#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// A directory for the files a target writes on every run, in memory where the system offers it,
// removed when the run ends. The settings and registry writers' lock files go there too.
inline QString scratchDirectory()
{
    static const QTemporaryDir dir((QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                                        : QDir::tempPath()) +
                                   QStringLiteral("/zelvora-fuzz-XXXXXX"));
    if (!dir.isValid())
        __builtin_trap();
    qputenv("ZELVORA_TEMP_DIR", QFile::encodeName(dir.path()));
    return dir.path() + u'/';
}

inline void writeWholeFile(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        __builtin_trap();
}
