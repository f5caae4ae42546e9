#include "rightbuttonfilter.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A widget that records the mouse and context menu events that reach it.
class Target : public QWidget {
public:
    QList<QPair<QEvent::Type, Qt::MouseButton>> received;

protected:
    bool event(QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
            received.append({e->type(), static_cast<QMouseEvent *>(e)->button()});
            break;
        case QEvent::ContextMenu:
            received.append({e->type(), Qt::NoButton});
            break;
        default:
            break;
        }
        return QWidget::event(e);
    }
};

TEST(RightButtonFilterTest, RightClicksInClientAreasNeverArrive)
{
    int argc = 1;
    char name[] = "rightbuttonfilter_test";
    char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    RightButtonFilter filter;
    application.installEventFilter(&filter);

    Target target;
    target.resize(200, 100);
    target.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&target));

    // Through the window system, as a real click comes in: no event and no menu request.
    QTest::mouseClick(target.windowHandle(), Qt::RightButton, {}, QPoint(50, 50));
    QTest::mouseDClick(target.windowHandle(), Qt::RightButton, {}, QPoint(50, 50));
    QTest::mouseClick(target.windowHandle(), Qt::LeftButton, {}, QPoint(50, 50));
    QCoreApplication::processEvents();
    using Seen = QList<QPair<QEvent::Type, Qt::MouseButton>>;
    EXPECT_EQ(target.received, (Seen{{QEvent::MouseButtonPress, Qt::LeftButton},
                                     {QEvent::MouseButtonRelease, Qt::LeftButton}}));

    // Sent straight to the widget: the same, and the keyboard's menu request still passes.
    target.received.clear();
    const QPoint at(10, 10);
    QMouseEvent rightPress(QEvent::MouseButtonPress, at, target.mapToGlobal(at), Qt::RightButton, Qt::RightButton, {});
    QMouseEvent middlePress(QEvent::MouseButtonPress, at, target.mapToGlobal(at), Qt::MiddleButton, Qt::MiddleButton, {});
    QMouseEvent frameRight(QEvent::NonClientAreaMouseButtonPress, at, target.mapToGlobal(at), Qt::RightButton,
                           Qt::RightButton, {});
    QContextMenuEvent mouseMenu(QContextMenuEvent::Mouse, at, target.mapToGlobal(at));
    QContextMenuEvent keyMenu(QContextMenuEvent::Keyboard, at, target.mapToGlobal(at));
    for (QEvent *e : std::initializer_list<QEvent *>{&rightPress, &middlePress, &frameRight, &mouseMenu, &keyMenu})
        QApplication::sendEvent(&target, e);
    EXPECT_EQ(target.received, (Seen{{QEvent::MouseButtonPress, Qt::MiddleButton},
                                     {QEvent::NonClientAreaMouseButtonPress, Qt::RightButton},
                                     {QEvent::ContextMenu, Qt::NoButton}}));
}

} // namespace
