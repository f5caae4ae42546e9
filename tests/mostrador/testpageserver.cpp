#include "testpageserver.h"

#include <QFile>
#include <QProcess>
#include <httplib.h>
#include <stdexcept>

namespace {

const char kPage[] = R"(<!DOCTYPE html>
<html><head><title>Prueba</title>
<style>html, body { margin: 0; height: 100%; background: #2e6da4; color: white; font: 32px sans-serif; }
body { display: flex; align-items: center; justify-content: center; }</style></head>
<body><div>Zelvora Mostrador: página de prueba</div>
<script>
function report(name) { fetch('/event?name=' + name); }
document.addEventListener('mousedown', e => report('mousedown' + e.button));
document.addEventListener('mouseup', e => report('mouseup' + e.button));
document.addEventListener('contextmenu', () => report('contextmenu'));
window.addEventListener('load', () => { report('loaded'); report('size' + innerWidth + 'x' + innerHeight); });
window.addEventListener('resize', () => report('size' + innerWidth + 'x' + innerHeight));
</script></body></html>
)";

} // namespace

TestPageServer::TestPageServer()
{
    const QString key = m_dir.path() + QStringLiteral("/key.pem");
    const QString certificate = m_dir.path() + QStringLiteral("/cert.pem");
    QProcess openssl;
    openssl.setStandardOutputFile(QProcess::nullDevice());
    openssl.setStandardErrorFile(QProcess::nullDevice());
    openssl.start(QStringLiteral("openssl"),
                                     {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                                      QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                                      QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
                                      QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate});
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0)
        throw std::runtime_error("openssl could not make a certificate");
    m_server = std::make_unique<httplib::SSLServer>(QFile::encodeName(certificate).constData(),
                                                    QFile::encodeName(key).constData());
    m_server->Get("/", [this](const httplib::Request &request, httplib::Response &response) {
        {
            const std::lock_guard<std::mutex> guard(m_mutex);
            m_userAgent = QByteArray::fromStdString(request.get_header_value("User-Agent"));
        }
        response.set_content(kPage, "text/html; charset=utf-8");
    });
    m_server->Get("/event", [this](const httplib::Request &request, httplib::Response &response) {
        const std::lock_guard<std::mutex> guard(m_mutex);
        m_events << QString::fromStdString(request.get_param_value("name"));
        response.set_content("", "text/plain");
    });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("the test server cannot listen");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
}

TestPageServer::~TestPageServer()
{
    m_server->stop();
    m_thread.join();
}

QString TestPageServer::url() const
{
    return QStringLiteral("https://127.0.0.1:%1/").arg(m_port);
}

QStringList TestPageServer::events() const
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    return m_events;
}

QByteArray TestPageServer::userAgent() const
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    return m_userAgent;
}
