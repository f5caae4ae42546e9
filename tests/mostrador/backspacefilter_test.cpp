// The browser control's key filter, on the real browser: the shop page records every key its
// own listener gets.
#include "browsercontrol.h"
#include "browserpage.h"
#include "browserruntime.h"
#include "qtprint.h"
#include "testpageserver.h"

#include <QWindow>
#include <gtest/gtest.h>

namespace {

TEST(BackspaceFilterTest, BackspaceReachesThePageOnlyInAnEditableField)
{
    const TestPageServer server;
    BrowserRuntime runtime;
    BrowserControl view(runtime.profile());
    view.resize(800, 600);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    struct Case {
        const char *focus; // element given the focus, caret at the end of its text
        bool editable;
        const char *fieldsAfter;
    };
    const Case cases[] = {
        {"campo", true, "ab abc"},
        {"clave", true, "abc ab"},
        {"informe", false, "abc abc"},
        {nullptr, false, "abc abc"},
    };
    // The second host is another site: the page moves to a new renderer with a new widget.
    for (const QString &host : {QStringLiteral("127.0.0.1"), QStringLiteral("localhost")}) {
        QString url = server.url() + QStringLiteral("tienda");
        url.replace(QStringLiteral("127.0.0.1"), host);
        ASSERT_TRUE(loadAndWait(view, QUrl(url))) << qPrintable(url);
        // A new renderer brings a new widget without the focus: the person clicks on the page.
        view.setFocus();
        runScript(view, QStringLiteral("document.body.insertAdjacentHTML('afterbegin', "
                                       "'<input id=\"clave\" type=\"password\" value=\"abc\">')"));
        for (const Case &c : cases) {
            SCOPED_TRACE(c.focus ? c.focus : "nothing");
            SCOPED_TRACE(qPrintable(host));
            const QString focus = c.focus ? QStringLiteral("var e = document.getElementById('%1'); e.focus();"
                                                           "if (e.setSelectionRange) e.setSelectionRange(3, 3);")
                                                .arg(QString::fromLatin1(c.focus))
                                          : QStringLiteral("document.activeElement.blur();");
            runScript(view, QStringLiteral("keys = []; ups = []; campo.value = 'abc'; clave.value = 'abc';") + focus);
            // As a person would: the key comes once the browser knows where the focus is.
            ASSERT_TRUE(QTest::qWaitFor([&] {
                return view.focusProxy() && view.focusProxy()->inputMethodQuery(Qt::ImEnabled).toBool() == c.editable;
            }, 10000));

            QTest::keyClick(view.windowHandle(), Qt::Key_Backspace);
            // Keys arrive in order: once Shift is up, a Backspace would be there, down and up.
            QTest::keyClick(view.windowHandle(), Qt::Key_Shift);
            QString keys;
            EXPECT_TRUE(QTest::qWaitFor([&] {
                keys = runScript(view, QStringLiteral("keys.join(' ') + ' / ' + ups.join(' ')")).toString();
                return keys.endsWith(QStringLiteral("Shift"));
            }, 10000)) << qPrintable(keys);
            EXPECT_EQ(keys, c.editable ? QStringLiteral("Backspace Shift / Backspace Shift")
                                       : QStringLiteral("Shift / Shift"));
            EXPECT_EQ(runScript(view, QStringLiteral("campo.value + ' ' + clave.value")).toString(),
                      QString::fromLatin1(c.fieldsAfter));
        }
    }
}

} // namespace
