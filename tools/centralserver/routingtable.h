#pragma once

#include "route.h"

#include <map>
#include <memory>
#include <string>

// Which route answers which path; a path without a route is answered 404.
class RoutingTable {
public:
    void add(const std::string &path, std::shared_ptr<const Route> route);
    const Route *find(const std::string &path) const;

private:
    std::map<std::string, std::shared_ptr<const Route>> m_routes;
};
