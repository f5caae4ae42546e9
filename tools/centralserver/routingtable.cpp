#include "routingtable.h"

void RoutingTable::add(const std::string &path, std::shared_ptr<const Route> route, const std::string &scheme)
{
    m_routes[{scheme, path}] = std::move(route);
}

const Route *RoutingTable::find(const std::string &scheme, const std::string &path) const
{
    for (const std::string &key : {scheme, std::string()}) {
        const auto found = m_routes.find({key, path});
        if (found != m_routes.end())
            return found->second.get();
    }
    return nullptr;
}
