#include "recordingserver.h"

#include "connection.h"
#include "requestlog.h"
#include "route.h"
#include "routingtable.h"
#include "tlscontext.h"

namespace {

constexpr std::chrono::milliseconds kReadTimeout(5000);
constexpr std::chrono::milliseconds kKeepAliveTimeout(5000);
constexpr int kRequestsPerConnection = 100;
// Routes may hold their connection for a long time (never answering, trickling).
constexpr size_t kConnectionThreads = 64;

thread_local Connection *t_connection = nullptr;

} // namespace

RecordingServer::RecordingServer(const RoutingTable &routes, RequestLog &log, const TlsContext *tls)
    : m_routes(routes), m_log(log), m_tls(tls)
{
    // The server owns and deletes the queue it is given.
    new_task_queue = [] { return new httplib::ThreadPool(kConnectionThreads); };
    const Handler handler = [this](const httplib::Request &request, httplib::Response &response) {
        answer(request, response);
    };
    Get(".*", handler);
    Post(".*", handler);
    Put(".*", handler);
    Patch(".*", handler);
    Delete(".*", handler);
    Options(".*", handler);
}

void RecordingServer::setBaseUrls(const std::string &http, const std::string &https)
{
    m_httpBase = http;
    m_httpsBase = https;
}

bool RecordingServer::process_and_close_socket(socket_t socket)
{
    Connection connection(socket, kReadTimeout);
    if (m_tls && m_garbageInsteadOfTls) {
        static const std::string garbage = "220 this server speaks no TLS\r\n";
        connection.write(garbage.data(), garbage.size());
        connection.waitForClientToLeave(kReadTimeout);
        return true;
    }
    if (m_tls && !connection.acceptTls(m_tls->get()))
        return false;
    t_connection = &connection;
    for (int left = kRequestsPerConnection; left > 0 && connection.waitForRequest(kKeepAliveTimeout); --left) {
        connection.startRequest();
        bool closed = false;
        if (!process_request(connection, left == 1, closed, nullptr) || closed)
            break;
    }
    t_connection = nullptr;
    return true;
}

void RecordingServer::answer(const httplib::Request &request, httplib::Response &response)
{
    Connection &connection = *t_connection;
    const std::string &captured = connection.captured();
    const size_t headEnd = captured.find("\r\n\r\n");
    const std::string head = headEnd == std::string::npos ? captured : captured.substr(0, headEnd + 4);
    const std::string scheme = m_tls ? "https" : "http";
    m_log.record(scheme, request.method, request.target, head, request.body);

    const Route *route = m_routes.find(scheme, request.path);
    if (!route) {
        response.status = 404;
        response.set_content("Not Found", "text/plain");
        return;
    }
    route->serve(request, response, RequestContext{connection, m_tls ? m_httpsBase : m_httpBase, m_httpBase, m_httpsBase});
}
