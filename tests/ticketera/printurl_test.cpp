#include "printurl.h"

#include <gtest/gtest.h>

TEST(PrintUrl, SchemeIsEverythingUpToTheFirstColon)
{
    EXPECT_EQ(PrintUrl::withoutScheme(QStringLiteral("ZVR:LIB&1")), QStringLiteral("LIB&1"));
    EXPECT_EQ(PrintUrl::withoutScheme(QStringLiteral("zvr:a:b")), QStringLiteral("a:b"));
    EXPECT_EQ(PrintUrl::withoutScheme(QStringLiteral("LIB&1")), QStringLiteral("LIB&1"));
}
