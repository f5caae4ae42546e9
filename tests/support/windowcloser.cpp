#include "windowcloser.h"

#include <QElapsedTimer>
#include <QSet>
#include <QThread>

namespace {

QByteArray run(const QString &display, const QString &program, const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    p.waitForFinished(5000);
    return p.readAllStandardOutput();
}

} // namespace

QStringList closeWindowsUntilFinished(QProcess &process, const QString &display, int timeoutMs)
{
    QStringList titles;
    QSet<QString> closed;
    QElapsedTimer timer;
    timer.start();
    while (process.state() != QProcess::NotRunning && timer.elapsed() < timeoutMs) {
        const QByteArray ids = run(display, QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                    QStringLiteral(".")});
        for (const QByteArray &line : ids.split('\n')) {
            const QString id = QString::fromLatin1(line.trimmed());
            if (id.isEmpty() || closed.contains(id))
                continue;
            const QString title = QString::fromUtf8(
                run(display, QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}).trimmed());
            if (title.isEmpty())
                continue;
            // Let the window finish appearing before it is closed.
            QThread::msleep(150);
            titles << title;
            closed.insert(id);
            run(display, QStringLiteral(ZELVORA_TEST_TOOLS_DIR "/xclose"), {id});
        }
        process.waitForFinished(100);
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return titles;
}
