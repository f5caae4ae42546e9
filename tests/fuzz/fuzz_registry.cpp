// Fuzzes the registry store reader with any content of a key's file: the values the programs
// read, then a write of one value, which must read back and leave every other value alone.
#include "registrykey.h"
#include "scratchdirectory.h"

#include <cstddef>
#include <cstdint>

using platform::RegistryKey;

namespace {

const QString kKey = QStringLiteral("ZVR");
const QStringList kNames = {QString(), QStringLiteral("URL Protocol"), QStringLiteral("mu"), QStringLiteral("mp")};

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool same(const std::optional<RegistryKey::Value> &a, const std::optional<RegistryKey::Value> &b)
{
    return a.has_value() == b.has_value() &&
           (!a || (a->type == b->type && a->text == b->text && a->number == b->number));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString hive = scratchDirectory();
    writeWholeFile(hive + kKey, data, size);

    RegistryKey key(hive);
    check(key.openFullAccess(kKey) == 0);
    QList<std::optional<RegistryKey::Value>> before;
    for (const QString &name : kNames)
        before.append(key.value(name));

    // Every kind of code the writer escapes.
    const QString text = QStringLiteral("a\"b\\c\u00e9\u0001\uffff") + QChar(0xD800);
    check(key.writeString(QStringLiteral("MP"), text) == 0);
    RegistryKey reread(hive);
    check(reread.openFullAccess(kKey) == 0);
    for (qsizetype i = 0; i < kNames.size(); ++i) {
        const std::optional<RegistryKey::Value> now = reread.value(kNames[i]);
        if (kNames[i] == u"mp")
            check(now && now->type == RegistryKey::Type::String && now->text == text);
        else
            check(same(now, before[i]));
    }
    return 0;
}
