#pragma once

#include <mutex>
#include <string>

// Appends one JSON line per request received, written before the request is answered:
// {"scheme":"http","method":"POST","target":"/VANTO/Login.html","head":BASE64,"body":BASE64}
// "head" holds the request line and header lines exactly as they arrived, up to and including the
// empty line; "body" the body bytes after any transfer coding.
class RequestLog {
public:
    explicit RequestLog(const std::string &path); // empty: records nothing
    ~RequestLog();
    RequestLog(const RequestLog &) = delete;
    RequestLog &operator=(const RequestLog &) = delete;

    void record(const std::string &scheme, const std::string &method, const std::string &target,
                const std::string &head, const std::string &body);

private:
    int m_file = -1;
    std::mutex m_mutex;
};
