#include "routingtable.h"

void RoutingTable::add(const std::string &path, std::shared_ptr<const Route> route, const std::string &scheme)
{
    m_routes[{scheme, path}] = std::move(route);
}

void RoutingTable::addPrefix(const std::string &prefix, std::shared_ptr<const Route> route)
{
    m_prefixes[prefix] = std::move(route);
}

const Route *RoutingTable::find(const std::string &scheme, const std::string &path) const
{
    for (const std::string &key : {scheme, std::string()}) {
        const auto found = m_routes.find({key, path});
        if (found != m_routes.end())
            return found->second.get();
    }
    const Route *longest = nullptr;
    for (const auto &[prefix, route] : m_prefixes) {
        // In order, so a longer prefix that matches comes after the shorter one.
        if (path.compare(0, prefix.size(), prefix) == 0)
            longest = route.get();
    }
    return longest;
}
