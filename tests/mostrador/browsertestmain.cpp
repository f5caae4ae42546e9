// The in-process tests of the browser run the real Chromium, whose sub-processes are started
// from this same executable, as they are from Mostrador.
#include "browserruntime.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (const std::optional<int> exitCode = BrowserRuntime::dispatch(argc, argv))
        return *exitCode;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    BrowserRuntime::configureProcess();
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
