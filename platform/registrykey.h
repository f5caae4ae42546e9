#pragma once

#include <QByteArrayList>
#include <QString>
#include <optional>

namespace platform {

// One key of the registry store: a file named after the key in the hive's directory, readable
// and writable by its owner only. Values are named ("" is the key's default value, names are
// compared without regard to case) and typed; string values hold any 16-bit codes.
// Operations return 0 or the system's error code (errorText() describes it).
//
// The file holds one value a line, `"name"=string:"text"` or `"name"=dword:0000002a` (`@` for the
// default value), every code outside printable ASCII and every `"` and `\` escaped as \uXXXX, \"
// and \\. A value whose type or text does not read is of another type; other lines are kept.
class RegistryKey {
public:
    enum class Type { String, Dword, Other };
    struct Value {
        Type type = Type::Other;
        QString text;       // Type::String
        quint32 number = 0; // Type::Dword
    };

    // Keys of HKEY_CLASSES_ROOT: $ZELVORA_REGISTRY_DIR, else $XDG_CONFIG_HOME/zelvora/registry
    // (~/.config when unset), followed by "/HKEY_CLASSES_ROOT".
    static QString classesRootDirectory();

    // A key of the hive in `hiveDirectory`.
    explicit RegistryKey(QString hiveDirectory);
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

    // Opens an existing key for reading and writing, never creating it: ENOENT when it does not
    // exist, EACCES or EROFS when this user may not both read and write it.
    int openFullAccess(const QString &name);
    // Creates the key, with its directories, or opens it when it exists.
    int create(const QString &name);
    void close();
    bool isOpen() const { return !m_path.isEmpty(); }

    // Empty when the key has no such value.
    std::optional<Value> value(const QString &valueName) const;
    int writeString(const QString &valueName, const QString &text);
    int writeDword(const QString &valueName, quint32 number);

    static QString errorText(int code);
    // Largest key file: a larger one is neither read nor written (EFBIG).
    static constexpr qsizetype kMaxFileSize = 4 << 20;

private:
    int load(const QByteArray &path, QByteArrayList *lines) const;
    int writeLine(const QString &valueName, const QByteArray &line);

    QString m_hiveDirectory;
    QString m_path;
    QByteArrayList m_lines;
};

} // namespace platform
