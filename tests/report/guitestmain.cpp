// Test entry for code that paints: an application object on the offscreen platform.
#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Decimal separators in the log follow the locale: the expected lines are written for C.
    qputenv("LC_ALL", "C.UTF-8");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
