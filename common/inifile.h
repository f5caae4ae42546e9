#pragma once

#include <QByteArrayList>
#include <QList>
#include <QString>
#include <mutex>
#include <utility>

// A settings file with the rules of the Windows profile functions: section and key names
// compared without regard to case, a key replaced in place or added at the end of its
// section, a missing section added at the end, every other line kept as it is.
// Values are written in UTF-8; a file written in the code page still reads.
// Every write is atomic and serialised across the threads and processes that write the file.
class IniFile {
public:
    static constexpr qsizetype kMaxValueLength = 2047;

    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    QString readString(QStringView section, QStringView key, const QString &defaultValue) const;
    // Decimal, or hexadecimal after "0x"; anything else gives the default.
    int readInteger(QStringView section, QStringView key, int defaultValue) const;
    // An integer: 0 is false, any other true; anything else gives the default.
    bool readBool(QStringView section, QStringView key, bool defaultValue) const;
    // Every key of a section with its value, in file order.
    QList<std::pair<QString, QString>> readSection(QStringView section) const;

    // Raise SettingsWriteError ("Unable to write to <path>") when the system refuses.
    void writeString(QStringView section, QStringView key, const QString &value);
    void writeInteger(QStringView section, QStringView key, int value);
    void writeBool(QStringView section, QStringView key, bool value);

    // Held while any thread of the process writes a settings file.
    static std::mutex &writerMutex();

private:
    const QByteArrayList &lines() const;
    // The file's lines without the UTF-8 byte order mark, if any; `byteOrderMark` tells whether
    // there was one, which a write keeps.
    static QByteArrayList load(const QString &path, bool *byteOrderMark = nullptr);

    QString m_path;
    mutable QByteArrayList m_lines;
    mutable bool m_loaded = false;
};
