// Writes keys to a settings file, or values to a key of the registry store, for the tests:
//   ini_writer <file> <prefix> <keys> <threads>          each thread writes <keys> keys of its own
//   ini_writer <file> --forever <section> <key>          rewrites one key until killed
//   ini_writer <hive> --registry <key> <value name>      writes one long value once
//   ini_writer <hive> --registry-forever <key> <value>   rewrites one value until killed
// The long values are 4,000 "v" followed by a counter. Exit code 3 and the error text on stderr
// when a write is refused.
#include "inifile.h"
#include "registrykey.h"
#include "settingswriteerror.h"

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <thread>
#include <vector>

namespace {

int writeRegistry(const QString &hive, const char *key, const char *valueName, bool again)
{
    platform::RegistryKey registry(hive);
    int rc = registry.create(QString::fromLatin1(key));
    const QString filler(4000, u'v');
    for (int i = 0; rc == 0; ++i) {
        rc = registry.writeString(QString::fromLatin1(valueName), filler + QString::number(i));
        if (!again)
            break;
    }
    if (rc == 0)
        return 0;
    std::fprintf(stderr, "%s\n", qPrintable(platform::RegistryKey::errorText(rc)));
    return 3;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (std::strcmp(argv[2], "--registry") == 0 || std::strcmp(argv[2], "--registry-forever") == 0)
        return writeRegistry(path, argv[3], argv[4], std::strcmp(argv[2], "--registry-forever") == 0);
    try {
        if (std::strcmp(argv[2], "--forever") == 0) {
            IniFile ini(path);
            const QString filler(4000, u'v');
            for (int i = 0;; ++i)
                ini.writeString(QString::fromLatin1(argv[3]), QString::fromLatin1(argv[4]), filler + QString::number(i));
        }
        const QString prefix = QString::fromLatin1(argv[2]);
        const int keys = std::atoi(argv[3]);
        std::vector<std::thread> threads;
        std::atomic<bool> refused = false;
        for (int t = 0; t < std::atoi(argv[4]); ++t) {
            threads.emplace_back([&, t] {
                try {
                    IniFile ini(path);
                    for (int k = 0; k < keys; ++k)
                        ini.writeInteger(u"STRESS", QStringLiteral("%1_T%2_K%3").arg(prefix).arg(t).arg(k), k);
                } catch (const SettingsWriteError &e) {
                    if (!refused.exchange(true))
                        std::fprintf(stderr, "%s\n", e.what());
                }
            });
        }
        for (auto &thread : threads)
            thread.join();
        if (refused)
            return 3;
    } catch (const SettingsWriteError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 3;
    }
    return 0;
}
