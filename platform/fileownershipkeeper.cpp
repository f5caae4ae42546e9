#include "fileownershipkeeper.h"

#include "filedescriptor.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileOwnershipKeeper::FileOwnershipKeeper(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QByteArray name = QFile::encodeName(path);
        struct stat st;
        if (lstat(name.constData(), &st) == 0 && S_ISREG(st.st_mode))
            m_files.append({name, st.st_uid, st.st_gid, st.st_mode & 07777});
    }
}

FileOwnershipKeeper::~FileOwnershipKeeper()
{
    for (const Kept &file : m_files) {
        struct stat st;
        const bool exists = lstat(file.path.constData(), &st) == 0;
        if (exists && (!S_ISREG(st.st_mode) || (st.st_uid == file.owner && st.st_gid == file.group &&
                                                 (st.st_mode & 07777) == file.mode)))
            continue;
        // Never through a link: whatever it points at is not the shared file.
        FileDescriptor fd(open(file.path.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.get() < 0)
            continue;
        if (fchown(fd.get(), file.owner, file.group) == 0)
            fchmod(fd.get(), file.mode);
    }
}

} // namespace platform
