#include "inifile.h"

#include "codepage.h"
#include "atomicwrite.h"
#include "filelock.h"
#include "integertext.h"
#include "paths.h"
#include "settingswriteerror.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <mutex>
#include <optional>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

QByteArray trimmed(const QByteArray &bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && (bytes[begin] == ' ' || bytes[begin] == '\t'))
        ++begin;
    while (end > begin && (bytes[end - 1] == ' ' || bytes[end - 1] == '\t'))
        --end;
    return bytes.mid(begin, end - begin);
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? CodePage::toUnicode(bytes) : text;
}

bool sameName(const QByteArray &bytes, QStringView name)
{
    return decode(bytes).compare(name, Qt::CaseInsensitive) == 0;
}

// The section name of a "[name]" line.
std::optional<QByteArray> sectionName(const QByteArray &line)
{
    const QByteArray t = trimmed(line);
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    return trimmed(t.mid(1, close < 0 ? -1 : close - 1));
}

// Index of a key's line within a section, or of the line after the section's last entry.
struct Location {
    qsizetype section = -1; // header line, -1 when missing
    qsizetype key = -1;     // key line, -1 when missing
    qsizetype end = 0;      // where a new key of the section goes
};

Location locate(const QByteArrayList &lines, QStringView section, QStringView key)
{
    Location where;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (!name)
            continue;
        if (where.section >= 0)
            break;
        if (sameName(*name, section))
            where.section = i;
    }
    if (where.section < 0)
        return where;
    where.end = where.section + 1;
    for (qsizetype i = where.section + 1; i < lines.size() && !sectionName(lines[i]); ++i) {
        const QByteArray t = trimmed(lines[i]);
        if (t.isEmpty())
            continue;
        where.end = i + 1;
        const qsizetype eq = t.indexOf('=');
        if (where.key < 0 && eq > 0 && sameName(trimmed(t.left(eq)), key))
            where.key = i;
    }
    return where;
}

QString valueOf(const QByteArray &line)
{
    QByteArray value = trimmed(line.mid(line.indexOf('=') + 1));
    // Matching quotes around a value are not part of it.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return decode(value).left(IniFile::kMaxValueLength);
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

std::mutex &IniFile::writerMutex()
{
    static std::mutex m;
    return m;
}

QByteArrayList IniFile::load(const QString &path, bool *byteOrderMark)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray content = file.readAll();
    const bool mark = content.startsWith(kByteOrderMark);
    if (mark)
        content.remove(0, 3);
    if (byteOrderMark)
        *byteOrderMark = mark;
    QByteArrayList lines = content.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

const QByteArrayList &IniFile::lines() const
{
    if (!m_loaded) {
        m_lines = load(m_path);
        m_loaded = true;
    }
    return m_lines;
}

QString IniFile::readString(QStringView section, QStringView key, const QString &defaultValue) const
{
    const Location where = locate(lines(), section, key);
    return where.key < 0 ? defaultValue : valueOf(lines()[where.key]);
}

int IniFile::readInteger(QStringView section, QStringView key, int defaultValue) const
{
    QString text = readString(section, key, QString());
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        text = u'$' + text.mid(2);
    return parseInteger(text).value_or(defaultValue);
}

bool IniFile::readBool(QStringView section, QStringView key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QList<std::pair<QString, QString>> IniFile::readSection(QStringView section) const
{
    QList<std::pair<QString, QString>> entries;
    const Location where = locate(lines(), section, QStringView());
    if (where.section < 0)
        return entries;
    for (qsizetype i = where.section + 1; i < lines().size() && !sectionName(lines()[i]); ++i) {
        const QByteArray t = trimmed(lines()[i]);
        const qsizetype eq = t.indexOf('=');
        if (eq > 0)
            entries.append({decode(trimmed(t.left(eq))), valueOf(t)});
    }
    return entries;
}

void IniFile::writeString(QStringView section, QStringView key, const QString &value)
{
    const std::lock_guard<std::mutex> threads(writerMutex());
    platform::ensureWorkDirectory();
    const platform::FileLock lock(platform::FileLock::pathFor(m_path));

    // Another writer may have changed the file since it was read: start from what is there now.
    bool byteOrderMark = false;
    QByteArrayList current = load(m_path, &byteOrderMark);
    // A line break in the value would end its line and start another, which would read as keys
    // and sections of its own: the value stops where its line would.
    const auto lineEnd = std::find_if(value.cbegin(), value.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
    const QByteArray entry = key.toUtf8() + '=' + QStringView(value.cbegin(), lineEnd).toUtf8();
    const Location where = locate(current, section, key);
    if (where.key >= 0) {
        current[where.key] = entry;
    } else if (where.section >= 0) {
        current.insert(where.end, entry);
    } else {
        current.append('[' + section.toUtf8() + ']');
        current.append(entry);
    }

    // Without its mark the file would read differently when its first line starts with another.
    QByteArray content = byteOrderMark ? QByteArray(kByteOrderMark) : QByteArray();
    content += current.join("\r\n");
    content += "\r\n";
    if (!platform::writeFileAtomically(m_path, content))
        throw SettingsWriteError(m_path);
    m_lines = std::move(current);
    m_loaded = true;
}

void IniFile::writeInteger(QStringView section, QStringView key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(QStringView section, QStringView key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
