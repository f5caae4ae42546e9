#include "routingtable.h"

void RoutingTable::add(const std::string &path, std::shared_ptr<const Route> route)
{
    m_routes[path] = std::move(route);
}

const Route *RoutingTable::find(const std::string &path) const
{
    const auto found = m_routes.find(path);
    return found == m_routes.end() ? nullptr : found->second.get();
}
