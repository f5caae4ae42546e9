#include "volumeserial.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <cstring>
#include <optional>

namespace platform {
namespace {

// A filesystem with a UUID: its block device is listed under /dev/disk/by-uuid.
std::optional<quint32> uuidPrefix(dev_t device)
{
    const QDir byUuid(QStringLiteral("/dev/disk/by-uuid"));
    for (const QString &uuid : byUuid.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        struct stat st;
        if (stat(QFile::encodeName(byUuid.filePath(uuid)).constData(), &st) != 0 || st.st_rdev != device)
            continue;
        QString hex = uuid;
        hex.remove(u'-');
        bool ok = false;
        const quint32 value = hex.left(8).toUInt(&ok, 16);
        if (ok)
            return value;
    }
    return std::nullopt;
}

} // namespace

quint32 volumeSerialOfCurrentDirectory()
{
    struct stat st;
    if (stat(".", &st) != 0)
        return 0;
    if (const auto fromUuid = uuidPrefix(st.st_dev))
        return *fromUuid;
    struct statfs fs;
    if (statfs(".", &fs) != 0)
        return static_cast<quint32>(st.st_dev);
    quint32 words[2];
    static_assert(sizeof words == sizeof fs.f_fsid);
    memcpy(words, &fs.f_fsid, sizeof words);
    return words[0] ^ words[1];
}

} // namespace platform
