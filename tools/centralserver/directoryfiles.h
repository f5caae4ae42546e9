#pragma once

#include "route.h"

#include <string>

// The files of a directory under a path prefix: an apt repository as the central server offers
// it. A path that would leave the directory, or names no regular file, is answered 404.
class DirectoryFiles : public Route {
public:
    // `prefix` ends in "/".
    DirectoryFiles(std::string prefix, std::string directory);

    void serve(const httplib::Request &request, httplib::Response &response,
               const RequestContext &context) const override;

private:
    std::string m_prefix;
    std::string m_directory;
};
