#include "directoryfiles.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

// The file's path under `directory`, or empty when `relative` has a part that would leave it.
// "." parts are dropped: a flat repository's files are asked for as "./NAME".
std::string fileUnder(const std::string &directory, const std::string &relative)
{
    std::string path = directory;
    std::istringstream parts(relative);
    for (std::string part; std::getline(parts, part, '/');) {
        if (part.empty() || part == ".")
            continue;
        if (part == ".." || part.find('\0') != std::string::npos)
            return {};
        path += '/' + part;
    }
    return path;
}

} // namespace

DirectoryFiles::DirectoryFiles(std::string prefix, std::string directory)
    : m_prefix(std::move(prefix)), m_directory(std::move(directory))
{
}

void DirectoryFiles::serve(const httplib::Request &request, httplib::Response &response, const RequestContext &) const
{
    const std::string path = fileUnder(m_directory, request.path.substr(m_prefix.size()));
    struct stat st;
    std::ifstream file;
    if (!path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        file.open(path, std::ios::binary);
    if (!file.is_open()) {
        response.status = 404;
        response.set_content("Not Found", "text/plain");
        return;
    }
    std::ostringstream content;
    content << file.rdbuf();
    response.set_content(content.str(), "application/octet-stream");
}
