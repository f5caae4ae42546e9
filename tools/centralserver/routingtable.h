#pragma once

#include "route.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

// Which route answers which path, on one scheme or on both; a path without a route is answered 404.
class RoutingTable {
public:
    // `scheme` "http" or "https" limits the route to that scheme; empty: both.
    void add(const std::string &path, std::shared_ptr<const Route> route, const std::string &scheme = {});
    // Every path that begins with `prefix` (ending in "/") and has no route of its own, on both schemes.
    void addPrefix(const std::string &prefix, std::shared_ptr<const Route> route);
    // The route of the scheme if there is one, else the route of both schemes, else the route of
    // the longest prefix.
    const Route *find(const std::string &scheme, const std::string &path) const;

private:
    std::map<std::pair<std::string, std::string>, std::shared_ptr<const Route>> m_routes; // (scheme, path)
    std::map<std::string, std::shared_ptr<const Route>> m_prefixes;
};
