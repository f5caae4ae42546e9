#pragma once

#include <httplib.h>
#include <string>

class Connection;

// What a route may use to answer one request besides the request itself.
struct RequestContext {
    Connection &connection;
    std::string ownBase;   // base URL of the scheme the request came in on, "http://127.0.0.1:PORT"
    std::string httpBase;
    std::string httpsBase;
};

// How the server answers one path.
class Route {
public:
    virtual ~Route() = default;
    virtual void serve(const httplib::Request &request, httplib::Response &response,
                       const RequestContext &context) const = 0;
};
