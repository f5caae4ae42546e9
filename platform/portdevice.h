#pragma once

#include <QList>
#include <QString>
#include <utility>

namespace platform {

// A serial or parallel port, or any file the system opens for writing, opened write-only and
// created or emptied. A terminal gets its output processing switched off so bytes leave
// unchanged; its speed, parity and flow control stay as the system set them.
// Operations return 0 or the system's error code.
class PortDevice {
public:
    using NameMap = QList<std::pair<QString, QString>>;

    PortDevice() = default;
    ~PortDevice();
    PortDevice(const PortDevice &) = delete;
    PortDevice &operator=(const PortDevice &) = delete;

    int open(const QString &path);
    int write(const char *data, qsizetype size);
    int read(char *buffer, qsizetype capacity, qsizetype *received);
    int close();
    bool isOpen() const { return m_fd >= 0; }
    bool isCharacterDevice() const { return m_characterDevice; }

    // The device path for a port name: an entry of `mapping` (names compared without regard
    // to case), else COMn / LPTn (n >= 1) as /dev/ttyS(n-1) / /dev/lp(n-1), else the name as
    // a path.
    static QString resolveName(const QString &name, const NameMap &mapping);
    // The lock file of the device at `path`, one per device whatever name reaches it (a mapped
    // name, a link): a print job holds it while it writes, so that two jobs never mix their lines.
    static QString lockPathFor(const QString &path);
    static QString errorText(int code);

private:
    int m_fd = -1;
    bool m_characterDevice = false;
};

} // namespace platform
