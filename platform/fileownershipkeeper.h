#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <sys/types.h>

namespace platform {

// Keeps files that root shares with other users as they were while root works on them: when it
// ends, a file that was removed is created again, empty, and one created anew gets back its
// owner, group and mode. Files missing at the start are left alone.
class FileOwnershipKeeper {
public:
    explicit FileOwnershipKeeper(const QStringList &paths);
    ~FileOwnershipKeeper();
    FileOwnershipKeeper(const FileOwnershipKeeper &) = delete;
    FileOwnershipKeeper &operator=(const FileOwnershipKeeper &) = delete;

private:
    struct Kept {
        QByteArray path;
        uid_t owner;
        gid_t group;
        mode_t mode;
    };
    QList<Kept> m_files;
};

} // namespace platform
