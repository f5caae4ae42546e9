// Fuzzes the report layout reader with any layout file, then prepares what it read the way
// the ticket route does (two lines before and after the barcodes) and paints the first page.
#include "layouterror.h"
#include "report.h"
#include "userdatasource.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstddef>
#include <cstdint>

// Fonts need the application; it gets no command line, which holds the fuzzer's flags.
extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int count = 1;
    static char *arguments[] = {(*argv)[0], nullptr};
    static QGuiApplication application(count, arguments);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    report::Report report;
    try {
        report.loadFromData(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), QStringLiteral("fuzz"));
    } catch (const LayoutError &) {
        if (!report.layout().isEmpty() || !report.layout().bands.empty())
            __builtin_trap();
        return 0;
    }
    report::UserDataSource before(QStringLiteral("StringLineasBefore"));
    report::UserDataSource after(QStringLiteral("StringLineasAfter"));
    before.setRecordCount(2);
    after.setRecordCount(2);
    report.addDataSource(before);
    report.addDataSource(after);
    report.setGetValue([](const QString &, QString &value) { value = QStringLiteral("RECARGA 10,00 EUR"); });
    report.prepare();

    // On a canvas of at most 200 pixels a side, whatever paper the layout asks for.
    const report::PreparedReport &prepared = report.prepared();
    const QSizeF paper = prepared.settings().paperMm;
    const double dpi = std::min(50.0, 200 * 25.4 / std::max(paper.width(), paper.height()));
    if (!prepared.pages().isEmpty() && std::min(paper.width(), paper.height()) * dpi / 25.4 >= 1)
        prepared.renderPage(0, dpi);
    return 0;
}
