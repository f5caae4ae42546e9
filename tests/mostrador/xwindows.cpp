#include "xwindows.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

QByteArray XWindows::run(const QString &program, const QStringList &arguments) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        process.kill();
    process.waitForFinished();
    return process.readAllStandardOutput();
}

QStringList XWindows::visibleWindowsOf(qint64 pid) const
{
    return QString::fromLatin1(run(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                    QString::number(pid)}))
        .split(u'\n', Qt::SkipEmptyParts);
}

QStringList XWindows::visibleTopLevels() const
{
    QStringList windows = QString::fromLatin1(run(QStringLiteral("xdotool"),
                                                  {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                   QStringLiteral("--maxdepth"), QStringLiteral("1"), QString()}))
                              .split(u'\n', Qt::SkipEmptyParts);
    // The root window itself matches at depth 0.
    const QRegularExpression rootId(QStringLiteral("Window id: (0x[0-9a-f]+) \\(the root window\\)"));
    const QString rootInfo = QString::fromLatin1(run(QStringLiteral("xwininfo"), {QStringLiteral("-root")}));
    const QRegularExpressionMatch match = rootId.match(rootInfo);
    if (match.hasMatch())
        windows.removeAll(QString::number(match.captured(1).toULongLong(nullptr, 16)));
    return windows;
}

QString XWindows::name(const QString &window) const
{
    return QString::fromUtf8(run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window})).trimmed();
}

QRect XWindows::geometry(const QString &window) const
{
    const QString info = QString::fromLatin1(run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window}));
    auto field = [&info](const char *label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    return QRect(field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"));
}

QString XWindows::normalHints(const QString &window) const
{
    return QString::fromLatin1(run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_NORMAL_HINTS")}));
}

QString XWindows::windowClass(const QString &window) const
{
    // WM_CLASS(STRING) = "instance", "class"
    const QString line = QString::fromUtf8(run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_CLASS")}));
    const QStringList quoted = line.split(u'"');
    return quoted.size() >= 4 ? quoted.at(3) : QString();
}

QMargins XWindows::frameExtents(const QString &window) const
{
    // _NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom
    const QString line = QString::fromLatin1(
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("_NET_FRAME_EXTENTS")}));
    const QRegularExpression re(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"));
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch())
        return {};
    return QMargins(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(), m.captured(4).toInt());
}

void XWindows::close(const QString &window) const
{
    run(QStringLiteral(ZELVORA_TEST_TOOLS_DIR "/xclose"), {window});
}

void XWindows::click(const QString &window, QPoint at, int button) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                                    QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
                                    QString::number(button)});
}

void XWindows::key(const QString &window, const QStringList &keys) const
{
    run(QStringLiteral("xdotool"), QStringList{QStringLiteral("windowfocus"), QStringLiteral("--sync"), window,
                                               QStringLiteral("key")} + keys);
}

QImage XWindows::capture(const QString &window) const
{
    return QImage::fromData(run(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")}),
                            "PNG");
}

bool XWindows::screenshot(const QString &pngPath) const
{
    run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), pngPath});
    return QFile::exists(pngPath);
}

WindowManager::WindowManager(const QString &display)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    m_process.setProcessEnvironment(env);
    m_process.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    // Ready once it has announced itself on the root window.
    const XWindows x(display);
    m_ready = m_process.waitForStarted() && waitUntil([&] {
        return x.run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains("window id");
    }, 10000);
}

WindowManager::~WindowManager()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished();
}

bool WindowManager::isRunning() const
{
    return m_ready && m_process.state() == QProcess::Running;
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}
