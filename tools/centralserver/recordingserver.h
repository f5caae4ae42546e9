#pragma once

#include <httplib.h>
#include <string>

class Connection;
class RequestLog;
class RoutingTable;
class TlsContext;

// One listening port, plain HTTP or (with a TLS context) HTTPS. It handles its connections itself
// so that every request is recorded as it arrived, then answered by the routing table.
class RecordingServer : public httplib::Server {
public:
    RecordingServer(const RoutingTable &routes, RequestLog &log, const TlsContext *tls);

    // The base URLs that redirects may name; set once both servers are bound, before listening.
    void setBaseUrls(const std::string &http, const std::string &https);
    // Every connection gets bytes that are no TLS instead of the handshake.
    void setGarbageInsteadOfTls(bool garbage) { m_garbageInsteadOfTls = garbage; }

private:
    bool process_and_close_socket(socket_t socket) override;
    void answer(const httplib::Request &request, httplib::Response &response);

    const RoutingTable &m_routes;
    RequestLog &m_log;
    const TlsContext *m_tls;
    std::string m_httpBase;
    std::string m_httpsBase;
    bool m_garbageInsteadOfTls = false;
};
