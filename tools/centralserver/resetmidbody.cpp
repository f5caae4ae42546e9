#include "resetmidbody.h"

#include "connection.h"

void ResetMidBody::serve(const httplib::Request &, httplib::Response &response, const RequestContext &context) const
{
    constexpr size_t kLength = 1024 * 1024;
    Connection &connection = context.connection;
    response.set_content_provider(kLength, "text/html", [&connection](size_t offset, size_t, httplib::DataSink &sink) {
        static const std::string chunk(16 * 1024, 'r');
        if (offset >= kLength / 2) {
            connection.reset();
            return false;
        }
        return sink.write(chunk.data(), chunk.size());
    });
}
