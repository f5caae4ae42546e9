#include "filedownload.h"

FileDownload::FileDownload(std::string content, std::string contentType, std::string fileName)
    : m_content(std::move(content)), m_contentType(std::move(contentType)), m_fileName(std::move(fileName))
{
}

void FileDownload::serve(const httplib::Request &, httplib::Response &response, const RequestContext &) const
{
    response.set_header("Content-Disposition", "attachment; filename=\"" + m_fileName + "\"");
    response.set_content(m_content, m_contentType);
}
