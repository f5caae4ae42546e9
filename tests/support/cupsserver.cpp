#include "cupsserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUuid>
#include <arpa/inet.h>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <mutex>
#include <netinet/in.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

// Binds a listening socket on a free loopback port.
int listenOnFreePort(int *port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &length) != 0)
        throw std::runtime_error("no free port");
    *port = ntohs(addr.sin_port);
    return fd;
}

bool connects(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

void writeText(const QString &path, const QString &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the cupsd configuration");
    file.write(text.toUtf8());
}

} // namespace

// Accepts the socket backend's connections; each connection is one job.
class CupsServer::RawListener {
public:
    RawListener() : m_fd(listenOnFreePort(&m_port)), m_thread([this] { run(); }) {}
    ~RawListener()
    {
        shutdown(m_fd, SHUT_RDWR);
        close(m_fd);
        m_thread.join();
    }
    int port() const { return m_port; }
    QByteArray take(int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_ready.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_jobs.empty(); }))
            return {};
        QByteArray job = m_jobs.front();
        m_jobs.pop_front();
        return job;
    }

private:
    void run()
    {
        for (;;) {
            const int client = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                return;
            QByteArray job;
            char buffer[8192];
            ssize_t n;
            while ((n = read(client, buffer, sizeof buffer)) > 0)
                job.append(buffer, n);
            close(client);
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back(job);
            m_ready.notify_all();
        }
    }

    int m_port = 0;
    int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<QByteArray> m_jobs;
    std::thread m_thread;
};

CupsServer::CupsServer()
{
    if (geteuid() != 0) {
        m_skipReason = QStringLiteral("a private cupsd needs root");
        return;
    }
    if (!QFileInfo::exists(QStringLiteral("/usr/sbin/cupsd"))) {
        m_skipReason = QStringLiteral("cupsd is not installed (scripts/setup.sh installs it)");
        return;
    }
    const QString root = m_dir.path();
    // cupsd's filters run as user lp and must reach the spool.
    QFile::setPermissions(root, QFileDevice::Permissions(0x7755));
    for (const char *sub : {"etc", "spool", "spool/tmp", "cache", "state", "log", "pdf"})
        QDir().mkpath(root + u'/' + QLatin1String(sub));
    QFile::setPermissions(root + QStringLiteral("/pdf"), QFileDevice::Permissions(0x7777));

    const int probe = listenOnFreePort(&m_port);
    close(probe);
    writeText(root + QStringLiteral("/etc/cupsd.conf"),
              QStringLiteral("Listen 127.0.0.1:%1\nLogLevel warn\nBrowsing No\nWebInterface No\n"
                             "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                  .arg(m_port));
    writeText(root + QStringLiteral("/etc/cups-files.conf"),
              QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                             "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                             "PageLog %1/log/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n"
                             "FileDevice Yes\nPrintcap %1/printcap\n")
                  .arg(root));

    const QByteArray conf = QFile::encodeName(root + QStringLiteral("/etc/cupsd.conf"));
    const QByteArray files = QFile::encodeName(root + QStringLiteral("/etc/cups-files.conf"));
    const char *argv[] = {"/usr/sbin/cupsd", "-f", "-c", conf.constData(), "-s", files.constData(), nullptr};
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char **>(argv), environ) != 0) {
        m_skipReason = QStringLiteral("cupsd cannot start");
        return;
    }
    m_pid = pid;
    QElapsedTimer timer;
    timer.start();
    while (!connects(m_port) && timer.elapsed() < 10000)
        QThread::msleep(50);
    if (!connects(m_port))
        throw std::runtime_error("the private cupsd does not answer");
}

CupsServer::~CupsServer()
{
    if (m_pid > 0) {
        kill(static_cast<pid_t>(m_pid), SIGTERM);
        waitpid(static_cast<pid_t>(m_pid), nullptr, 0);
    }
    for (const QString &config : m_pdfConfigs)
        QFile::remove(config);
}

QString CupsServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

QProcessEnvironment CupsServer::environment() const
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("CUPS_SERVER"), address());
    return env;
}

int CupsServer::runClient(const QString &program, const QStringList &arguments, QByteArray *output) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, QStringList{QStringLiteral("-h"), address()} + arguments);
    process.waitForFinished(30000);
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void CupsServer::addRawQueue(const QString &name, const QString &description)
{
    auto listener = std::make_shared<RawListener>();
    QByteArray output;
    if (runClient(QStringLiteral("lpadmin"),
                  {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                   QStringLiteral("socket://127.0.0.1:%1").arg(listener->port()), QStringLiteral("-D"), description},
                  &output) != 0)
        throw std::runtime_error("lpadmin failed: " + output.toStdString());
    m_listeners.insert(name, listener);
}

QByteArray CupsServer::takeRawJob(const QString &name, int timeoutMs)
{
    const auto listener = m_listeners.value(name);
    return listener ? listener->take(timeoutMs) : QByteArray();
}

void CupsServer::addPdfQueue(const QString &name, const QString &description)
{
    // cups-pdf reads its settings from /etc/cups only; a configuration of this server's own
    // (named by the device URI) sends the files here and is removed with the server.
    const QString id = QStringLiteral("zvtest%1").arg(QUuid::createUuid().toString(QUuid::Id128).left(12));
    const QString config = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(id);
    const QString out = m_dir.path() + QStringLiteral("/pdf");
    writeText(config, QStringLiteral("Out %1\nAnonDirName %1\nUserUMask 0000\n").arg(out));
    m_pdfConfigs << config;
    QByteArray output;
    if (runClient(QStringLiteral("lpadmin"),
                  {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                   QStringLiteral("cups-pdf:/") + id, QStringLiteral("-P"),
                   QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"), QStringLiteral("-D"), description},
                  &output) != 0)
        throw std::runtime_error("lpadmin failed: " + output.toStdString());
}

QStringList CupsServer::waitForPdfs(int count, int timeoutMs) const
{
    const QDir out(m_dir.path() + QStringLiteral("/pdf"));
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        QStringList files;
        for (const QFileInfo &info : out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time | QDir::Reversed))
            files << info.filePath();
        // cups-pdf writes the file while the job runs: it is whole once no job is left.
        QByteArray pending;
        const bool idle = runClient(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &pending) == 0 &&
                          pending.trimmed().isEmpty();
        if ((files.size() >= count && idle) || timer.elapsed() > timeoutMs)
            return files;
        QThread::msleep(100);
    }
}
