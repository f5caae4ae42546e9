#include "centralserver.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

QByteArrayList headLines(const QByteArray &head)
{
    QByteArrayList lines = head.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

QByteArray RecordedRequest::method() const
{
    return headLines(head).value(0).split(' ').value(0);
}

QByteArray RecordedRequest::target() const
{
    return headLines(head).value(0).split(' ').value(1);
}

QList<std::pair<QByteArray, QByteArray>> RecordedRequest::headers() const
{
    QList<std::pair<QByteArray, QByteArray>> result;
    const QByteArrayList lines = headLines(head);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        result.append({lines[i].left(colon), colon < 0 ? QByteArray() : lines[i].mid(colon + 1).trimmed()});
    }
    return result;
}

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value.isNull() ? QByteArray("") : value;
    }
    return {};
}

CentralServer::CentralServer(const QByteArrayList &arguments)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    QByteArrayList words{ZELVORA_CENTRAL_SERVER, "--record", QFile::encodeName(m_dir.filePath("requests.jsonl"))};
    words += arguments;
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    pid_t pid;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        throw std::runtime_error("central-server cannot start");
    }
    m_pid = pid;

    // It prints "ready http=PORT https=PORT" once both ports listen.
    QByteArray line;
    pollfd readable{pipeFds[0], POLLIN, 0};
    while (!line.endsWith('\n') && poll(&readable, 1, 20000) > 0) {
        char c;
        if (read(pipeFds[0], &c, 1) != 1)
            break;
        line.append(c);
    }
    close(pipeFds[0]);
    const QRegularExpressionMatch ready =
        QRegularExpression(QStringLiteral("^ready http=(\\d+) https=(\\d+)$")).match(QString::fromLatin1(line.trimmed()));
    if (!ready.hasMatch()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        m_pid = -1;
        throw std::runtime_error("central-server did not start: " + line.toStdString());
    }
    m_httpPort = ready.captured(1).toInt();
    m_httpsPort = ready.captured(2).toInt();
}

CentralServer::~CentralServer()
{
    if (m_pid > 0) {
        kill(static_cast<pid_t>(m_pid), SIGKILL);
        waitpid(static_cast<pid_t>(m_pid), nullptr, 0);
    }
}

QString CentralServer::httpUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_httpPort);
}

QString CentralServer::httpsUrl() const
{
    return QStringLiteral("https://127.0.0.1:%1").arg(m_httpsPort);
}

QList<RecordedRequest> CentralServer::requests() const
{
    QList<RecordedRequest> result;
    QFile file(m_dir.filePath(QStringLiteral("requests.jsonl")));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        if (record.isEmpty())
            continue;
        result.append({record.value(QLatin1String("scheme")).toString(),
                       QByteArray::fromBase64(record.value(QLatin1String("head")).toString().toLatin1()),
                       QByteArray::fromBase64(record.value(QLatin1String("body")).toString().toLatin1())});
    }
    return result;
}
