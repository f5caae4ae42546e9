#include "testpageserver.h"

#include <QFile>
#include <QProcess>
#include <QUrl>
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

const char kShop[] = R"(<!DOCTYPE html>
<html><head><title>Tienda</title>
<style>body { font: 24px sans-serif; }
#informe { position: absolute; left: 0; right: 0; top: 200px; height: 300px; font-size: 48px; text-align: center; }</style></head>
<body><input id="campo" value="abc"><a id="informe" href="/download?name=report.pdf&amp;type=application/pdf">report.pdf</a>
<script>
var keys = [], ups = [];
window.addEventListener('keydown', e => {
  keys.push(e.key);
  fetch('/event?name=' + encodeURIComponent('keys:' + keys.join(' ')));
}, true);
window.addEventListener('keyup', e => ups.push(e.key), true);
window.addEventListener('load', () => fetch('/event?name=shop'));
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
    m_server->Get("/tienda", [](const httplib::Request &, httplib::Response &response) {
        response.set_content(kShop, "text/html; charset=utf-8");
    });
    m_server->Get("/download", [this](const httplib::Request &request, httplib::Response &response) {
        // The name goes out as given, "../" included: what the browser makes of it is its own.
        const std::string name = request.get_param_value("name");
        const QByteArray content = downloadContent(QString::fromStdString(name));
        const QByteArray quoted = QByteArray::fromStdString(name).replace("\\", "\\\\").replace("\"", "\\\"");
        response.set_header("Content-Disposition", "attachment; filename=\"" + quoted.toStdString() + "\"");
        const std::string delivery = request.get_param_value("delivery");
        if (delivery.empty()) {
            response.set_content(content.toStdString(), request.get_param_value("type"));
            return;
        }
        const bool cut = delivery == "cut";
        if (cut) {
            // The browser tries again after a drop: the file is gone by then, so it gives up.
            const std::lock_guard<std::mutex> guard(m_mutex);
            if (m_cutNames.contains(QString::fromStdString(name))) {
                response.status = 404;
                return;
            }
            m_cutNames << QString::fromStdString(name);
        }
        response.set_content_provider(
            content.size(), request.get_param_value("type"),
            [this, cut, content, name = QString::fromStdString(name)](size_t offset, size_t, httplib::DataSink &sink) {
                if (cut) {
                    sink.write(content.constData(), content.size() / 2);
                    return false;
                }
                std::unique_lock<std::mutex> lock(m_mutex);
                m_released.wait(lock, [&] { return m_stopping || m_releasedNames.contains(name); });
                lock.unlock();
                sink.write(content.constData() + offset, content.size() - offset);
                return true;
            });
    });
    // Held downloads keep their connections busy: room for them beside the page and its reports.
    m_server->new_task_queue = [] { return new httplib::ThreadPool(16); };
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("the test server cannot listen");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
}

TestPageServer::~TestPageServer()
{
    {
        const std::lock_guard<std::mutex> guard(m_mutex);
        m_stopping = true;
    }
    m_released.notify_all();
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

QString TestPageServer::downloadUrl(const QString &name, const QString &mimeType, Delivery delivery) const
{
    const char *const deliveries[] = {"", "&delivery=held", "&delivery=cut"};
    return url() + QStringLiteral("download?name=%1&type=%2%3")
                       .arg(QString::fromLatin1(QUrl::toPercentEncoding(name)), mimeType,
                            QString::fromLatin1(deliveries[static_cast<int>(delivery)]));
}

QByteArray TestPageServer::downloadContent(const QString &name)
{
    return "contenido de " + name.toUtf8() + QByteArray(4096, '.');
}

void TestPageServer::release(const QString &name)
{
    {
        const std::lock_guard<std::mutex> guard(m_mutex);
        m_releasedNames << name;
    }
    m_released.notify_all();
}
