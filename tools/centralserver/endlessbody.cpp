#include "endlessbody.h"

void EndlessBody::serve(const httplib::Request &, httplib::Response &response, const RequestContext &) const
{
    response.set_chunked_content_provider("text/html", [](size_t, httplib::DataSink &sink) {
        static const std::string chunk(64 * 1024, 'x');
        return sink.write(chunk.data(), chunk.size());
    });
}
