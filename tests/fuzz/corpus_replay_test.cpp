// Every fuzz target's corpus, crash inputs of fixed faults included, replayed through the same
// entry function in the normal build: a fixed crash stays fixed without clang. A target that
// finds a fault stops the process (it traps), which fails its test.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>

#define FUZZ_ENTRY(name) extern "C" int fuzzInput_##name(const uint8_t *, size_t);
#include "fuzztargets.h"
#undef FUZZ_ENTRY

namespace {

struct Target {
    const char *name;
    int (*input)(const uint8_t *, size_t);
};

const Target kTargets[] = {
#define FUZZ_ENTRY(name) {#name, fuzzInput_##name},
#include "fuzztargets.h"
#undef FUZZ_ENTRY
};

class FuzzCorpus : public testing::TestWithParam<Target> {};

TEST_P(FuzzCorpus, EveryInputIsTakenWithoutAFault)
{
    const QDir corpus(QStringLiteral(ZELVORA_FUZZ_CORPUS "/") + QString::fromLatin1(GetParam().name));
    const QStringList inputs = corpus.entryList(QDir::Files);
    ASSERT_FALSE(inputs.isEmpty()) << qPrintable(corpus.path());
    for (const QString &input : inputs) {
        QFile file(corpus.filePath(input));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(input);
        const QByteArray bytes = file.readAll();
        SCOPED_TRACE(input.toStdString());
        EXPECT_EQ(GetParam().input(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<Target> &info) { return std::string(info.param.name); });

} // namespace

int main(int argc, char **argv)
{
    // The layout target paints, which needs the application its own initialisation would make.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
