#include "windowgeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowGeometryTest, SizeLimitsAndPositionOnEachMonitor)
{
    struct Case {
        QSize monitor;
        QSize size;
        QSize minimum;
        QPoint position;
    };
    const Case cases[] = {
        {{1280, 1024}, {1024, 777}, {1024, 777}, {128, 123}},
        {{1024, 768}, {1024, 768}, {1024, 768}, {0, 0}},
        {{1920, 1080}, {1024, 777}, {1024, 777}, {448, 151}},
        {{1366, 768}, {1024, 768}, {1024, 768}, {171, 0}},   // only the height is too small
        {{1000, 900}, {1000, 777}, {1000, 777}, {0, 61}},    // only the width is too small
        {{800, 600}, {800, 600}, {800, 600}, {0, 0}},
        {{1024, 777}, {1024, 777}, {1024, 777}, {0, 0}},
        {{1025, 778}, {1024, 777}, {1024, 777}, {0, 0}},     // halves truncate
        {{1027, 780}, {1024, 777}, {1024, 777}, {1, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.monitor.width() << "x" << c.monitor.height());
        const WindowGeometry g = geometriaVentanaPrincipal(c.monitor);
        EXPECT_EQ(g.size, c.size);
        EXPECT_EQ(g.minimum, c.minimum);
        EXPECT_EQ(g.maximum, c.monitor);
        EXPECT_EQ(g.position, c.position);
    }
}

TEST(WindowGeometryTest, TheClientAreaIsWhatTheFrameLeaves)
{
    struct Case {
        QSize monitor;
        QMargins frame;
        QSize size;
        QSize minimum;
        QSize maximum;
    };
    const Case cases[] = {
        {{1280, 1024}, {}, {1024, 777}, {1024, 777}, {1280, 1024}}, // no window manager
        {{1280, 1024}, {1, 22, 1, 4}, {1022, 751}, {1022, 751}, {1278, 998}},
        {{1024, 768}, {1, 22, 1, 4}, {1022, 742}, {1022, 742}, {1022, 742}},
        {{1024, 768}, {0, 30, 0, 0}, {1024, 738}, {1024, 738}, {1024, 738}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.monitor.width() << "x" << c.monitor.height() << " frame " << c.frame.top());
        const WindowGeometry outer = geometriaVentanaPrincipal(c.monitor);
        const WindowGeometry client = clientGeometry(outer, c.frame);
        EXPECT_EQ(client.size, c.size);
        EXPECT_EQ(client.minimum, c.minimum);
        EXPECT_EQ(client.maximum, c.maximum);
        EXPECT_EQ(client.position, outer.position); // where the frame starts
    }
}

} // namespace
