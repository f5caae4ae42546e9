#include "hugeheaders.h"

HugeHeaders::HugeHeaders(int mebibytes) : m_mebibytes(mebibytes) {}

void HugeHeaders::serve(const httplib::Request &, httplib::Response &response, const RequestContext &) const
{
    const std::string value(1024 * 1024, 'h');
    for (int i = 0; i < m_mebibytes; ++i)
        response.set_header("X-Filler-" + std::to_string(i), value);
    response.set_content("after the headers", "text/html");
}
