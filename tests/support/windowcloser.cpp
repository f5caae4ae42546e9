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

QStringList closeWindowsUntilFinished(QProcess &process, const QString &display, int timeoutMs,
                                      QStringList *geometries)
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
            if (geometries) {
                // xwininfo gives the inside of the window: what the program asked for.
                const QString info = QString::fromUtf8(run(display, QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}));
                const auto field = [&info](const char *name) {
                    const qsizetype at = info.indexOf(QLatin1String(name));
                    return at < 0 ? QString() : info.mid(at + qstrlen(name)).section(u'\n', 0, 0).trimmed();
                };
                *geometries << field("Width:") + u'x' + field("Height:") + u'+' + field("Absolute upper-left X:") + u'+' +
                                   field("Absolute upper-left Y:");
            }
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
