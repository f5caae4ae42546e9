#include "portdevice.h"

#include "filelock.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace platform {
namespace {

// The directory that holds `path`, as the open would find it; false when it cannot be looked at.
bool directoryOf(const QByteArray &path, struct stat &st)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray directory = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    return stat(directory.constData(), &st) == 0;
}

} // namespace

PortDevice::~PortDevice()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int PortDevice::open(const QString &path)
{
    if (m_fd >= 0)
        close();
    const QByteArray name = QFile::encodeName(path);
    // In a directory where everybody may create names (/tmp, the work directory) another user
    // could have put a link or a file of theirs under the port's name: the port would write
    // through it, with this user's rights, into whatever it points at. There only a name of this
    // user's, or of the directory's owner, is opened, and never through a link of either kind.
    struct stat directory;
    const bool shared = directoryOf(name, directory) && (directory.st_mode & S_ISVTX) &&
                        (directory.st_mode & (S_IWGRP | S_IWOTH));
    // Non-blocking only while opening: a serial line without carrier must not hang the open.
    const int fd = ::open(name.constData(),
                          O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (shared ? O_NOFOLLOW : 0), 0666);
    if (fd < 0)
        return errno;
    struct stat st;
    int refused = 0;
    if (fstat(fd, &st) != 0)
        refused = errno;
    else if (shared && ((st.st_uid != geteuid() && st.st_uid != directory.st_uid) ||
                        (S_ISREG(st.st_mode) && st.st_nlink != 1))) // a hard link to any file of this user's
        refused = EACCES;
    else if (S_ISREG(st.st_mode) && ftruncate(fd, 0) != 0) // emptied only once known to be ours
        refused = errno;
    if (refused) {
        ::close(fd);
        return refused;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    m_characterDevice = S_ISCHR(st.st_mode);
    struct termios tio;
    if (m_characterDevice && tcgetattr(fd, &tio) == 0 && (tio.c_oflag & OPOST)) {
        tio.c_oflag &= ~OPOST;
        tcsetattr(fd, TCSANOW, &tio);
    }
    m_fd = fd;
    return 0;
}

int PortDevice::write(const char *data, qsizetype size)
{
    if (m_fd < 0)
        return EBADF;
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        data += n;
        size -= n;
    }
    return 0;
}

int PortDevice::read(char *buffer, qsizetype capacity, qsizetype *received)
{
    *received = 0;
    if (m_fd < 0)
        return EBADF;
    ssize_t n;
    do {
        n = ::read(m_fd, buffer, capacity);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return errno;
    *received = n;
    return 0;
}

int PortDevice::close()
{
    if (m_fd < 0)
        return EBADF;
    const int fd = m_fd;
    m_fd = -1;
    m_characterDevice = false;
    return ::close(fd) == 0 ? 0 : errno;
}

QString PortDevice::resolveName(const QString &name, const NameMap &mapping)
{
    for (const auto &[portName, device] : mapping) {
        if (portName.compare(name, Qt::CaseInsensitive) == 0)
            return device;
    }
    for (const auto &[prefix, device] : {std::pair{QLatin1String("COM"), QLatin1String("/dev/ttyS")},
                                         std::pair{QLatin1String("LPT"), QLatin1String("/dev/lp")}}) {
        if (!name.startsWith(prefix, Qt::CaseInsensitive) || name.size() == prefix.size())
            continue;
        const QStringView digits = QStringView(name).mid(prefix.size());
        bool allDigits = digits.front() != u'0';
        for (QChar c : digits)
            allDigits = allDigits && c.isDigit() && c.unicode() < 0x80;
        bool ok = false;
        const int number = allDigits ? digits.toInt(&ok) : 0;
        if (ok && number >= 1)
            return device + QString::number(number - 1);
    }
    return name;
}

QString PortDevice::lockPathFor(const QString &path)
{
    struct stat st;
    if (stat(QFile::encodeName(path).constData(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)))
        return FileLock::pathFor(QStringLiteral("/dev/char/%1:%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev)));
    const QFileInfo file(path);
    return FileLock::pathFor(file.exists() ? file.canonicalFilePath() : file.absoluteFilePath());
}

QString PortDevice::errorText(int code)
{
    return QString::fromLocal8Bit(strerror(code));
}

} // namespace platform
