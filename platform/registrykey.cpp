#include "registrykey.h"

#include "atomicwrite.h"
#include "filedescriptor.h"
#include "filelock.h"
#include "paths.h"
#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr QByteArrayView kStringType = "string:";
constexpr QByteArrayView kDwordType = "dword:";

// Exactly `digits` hexadecimal digits, no sign or blank.
std::optional<quint32> hexNumber(QByteArrayView text, qsizetype digits)
{
    if (text.size() != digits || !std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(uchar(c)); }))
        return std::nullopt;
    return text.toUInt(nullptr, 16);
}

QByteArray quoted(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out += '"';
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u'\\') {
            out += '\\';
            out += char(u);
        } else if (u >= 0x20 && u <= 0x7E) {
            out += char(u);
        } else {
            out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
        }
    }
    out += '"';
    return out;
}

// The text of a quoted string starting at `pos`, which is left after its closing quote.
std::optional<QString> unquoted(QByteArrayView line, qsizetype &pos)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    QString text;
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            pos = i + 1;
            return text;
        }
        if (c != '\\') {
            text += QChar(uchar(c));
            continue;
        }
        if (++i >= line.size())
            return std::nullopt;
        if (line[i] == '"' || line[i] == '\\') {
            text += QChar(uchar(line[i]));
        } else if (line[i] == 'u') {
            const auto code = hexNumber(line.sliced(i + 1, qMin<qsizetype>(4, line.size() - i - 1)), 4);
            if (!code)
                return std::nullopt;
            text += QChar(char16_t(*code));
            i += 4;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The value's name of a line, with `pos` left after the "=", or nothing for another line.
std::optional<QString> nameOf(QByteArrayView line, qsizetype &pos)
{
    std::optional<QString> name;
    pos = 0;
    if (line.startsWith('@')) {
        name = QString();
        pos = 1;
    } else {
        name = unquoted(line, pos);
    }
    if (!name || pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    ++pos;
    return name;
}

RegistryKey::Value valueOf(QByteArrayView data)
{
    RegistryKey::Value value;
    if (data.startsWith(kStringType)) {
        qsizetype pos = kStringType.size();
        const std::optional<QString> text = unquoted(data, pos);
        if (text && pos == data.size()) {
            value.type = RegistryKey::Type::String;
            value.text = *text;
        }
    } else if (const auto number = data.startsWith(kDwordType) ? hexNumber(data.sliced(kDwordType.size()), 8) : std::nullopt) {
        value.type = RegistryKey::Type::Dword;
        value.number = *number;
    }
    return value;
}

QByteArray nameField(const QString &valueName)
{
    return valueName.isEmpty() ? QByteArray("@") : quoted(valueName);
}

bool validKeyName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(u'\\') &&
           !name.contains(QChar(0));
}

// Creates the missing directories of `path`, each readable by its owner only.
bool makeDirectories(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
    qsizetype from = 1;
    while (true) {
        const qsizetype slash = clean.indexOf(u'/', from);
        const QByteArray part = QFile::encodeName(slash < 0 ? clean : clean.left(slash));
        if (mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash < 0)
            return true;
        from = slash + 1;
    }
}

std::mutex &writers()
{
    static std::mutex m;
    return m;
}

} // namespace

QString RegistryKey::classesRootDirectory()
{
    QString root = QFile::decodeName(qgetenv("ZELVORA_REGISTRY_DIR"));
    if (root.isEmpty()) {
        QString config = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
        if (config.isEmpty())
            config = QDir::homePath() + QStringLiteral("/.config");
        root = config + QStringLiteral("/zelvora/registry");
    }
    while (root.size() > 1 && root.endsWith(u'/'))
        root.chop(1);
    return root + QStringLiteral("/HKEY_CLASSES_ROOT");
}

RegistryKey::RegistryKey(QString hiveDirectory) : m_hiveDirectory(std::move(hiveDirectory)) {}

int RegistryKey::load(const QByteArray &path, QByteArrayList *lines) const
{
    // Opening for writing as well is what tells whether this user has full access.
    const FileDescriptor fd(open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (fd.get() < 0)
        return errno;
    QByteArray content;
    if (const int error = readOpenRegularFile(fd.get(), kMaxFileSize, &content))
        return error;
    *lines = content.split('\n');
    if (!lines->isEmpty() && lines->last().isEmpty())
        lines->removeLast();
    for (QByteArray &line : *lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return 0;
}

int RegistryKey::openFullAccess(const QString &name)
{
    close();
    if (!validKeyName(name))
        return EINVAL;
    const QString path = m_hiveDirectory + u'/' + name;
    QByteArrayList lines;
    if (const int rc = load(QFile::encodeName(path), &lines))
        return rc;
    m_path = path;
    m_lines = std::move(lines);
    return 0;
}

int RegistryKey::create(const QString &name)
{
    close();
    if (!validKeyName(name))
        return EINVAL;
    if (!makeDirectories(m_hiveDirectory))
        return errno;
    const QByteArray path = QFile::encodeName(m_hiveDirectory + u'/' + name);
    const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) {
        // The umask may have taken the owner's write right.
        const bool ok = fchmod(fd, 0600) == 0;
        ::close(fd);
        if (!ok)
            return errno;
    } else if (errno != EEXIST) {
        return errno;
    }
    return openFullAccess(name);
}

void RegistryKey::close()
{
    m_path.clear();
    m_lines.clear();
}

std::optional<RegistryKey::Value> RegistryKey::value(const QString &valueName) const
{
    for (const QByteArray &line : m_lines) {
        qsizetype pos = 0;
        const std::optional<QString> name = nameOf(line, pos);
        if (name && name->compare(valueName, Qt::CaseInsensitive) == 0)
            return valueOf(QByteArrayView(line).sliced(pos));
    }
    return std::nullopt;
}

int RegistryKey::writeString(const QString &valueName, const QString &text)
{
    return writeLine(valueName, nameField(valueName) + '=' + kStringType.toByteArray() + quoted(text));
}

int RegistryKey::writeDword(const QString &valueName, quint32 number)
{
    return writeLine(valueName,
                     nameField(valueName) + '=' + kDwordType.toByteArray() + QByteArray::number(number, 16).rightJustified(8, '0'));
}

int RegistryKey::writeLine(const QString &valueName, const QByteArray &entry)
{
    if (!isOpen())
        return EBADF;
    const std::lock_guard<std::mutex> threads(writers());
    ensureWorkDirectory();
    const FileLock lock(FileLock::pathFor(m_path));

    // Another writer may have changed the key since it was read: start from what is there now.
    QByteArrayList current;
    if (const int rc = load(QFile::encodeName(m_path), &current))
        return rc;
    bool replaced = false;
    for (qsizetype i = 0; i < current.size();) {
        qsizetype pos = 0;
        const std::optional<QString> name = nameOf(current[i], pos);
        if (!name || name->compare(valueName, Qt::CaseInsensitive) != 0) {
            ++i;
        } else if (!replaced) {
            current[i++] = entry;
            replaced = true;
        } else {
            current.removeAt(i);
        }
    }
    if (!replaced)
        current.append(entry);

    const QByteArray content = current.join('\n') + '\n';
    if (content.size() > kMaxFileSize)
        return EFBIG;
    errno = 0;
    if (!writeFileAtomically(m_path, content, FileAccess::OwnerOnly))
        return errno ? errno : EIO;
    m_lines = std::move(current);
    return 0;
}

QString RegistryKey::errorText(int code)
{
    return QString::fromLocal8Bit(strerror(code));
}

} // namespace platform
