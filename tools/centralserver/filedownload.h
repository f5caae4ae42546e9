#pragma once

#include "route.h"

#include <string>

// A file that the browser downloads rather than shows: the answer names it as an attachment
// with the file name to suggest.
class FileDownload : public Route {
public:
    FileDownload(std::string content, std::string contentType, std::string fileName);

    void serve(const httplib::Request &request, httplib::Response &response,
               const RequestContext &context) const override;

private:
    std::string m_content;
    std::string m_contentType;
    std::string m_fileName;
};
