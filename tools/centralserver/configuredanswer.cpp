#include "configuredanswer.h"

#include "connection.h"

#include <thread>

namespace {

std::string replaced(std::string text, const std::string &placeholder, const std::string &value)
{
    for (size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
    return text;
}

} // namespace

ConfiguredAnswer::ConfiguredAnswer(AnswerSettings settings) : m_settings(std::move(settings)) {}

void ConfiguredAnswer::serve(const httplib::Request &request, httplib::Response &response,
                             const RequestContext &context) const
{
    const int hop = request.has_param("hop") ? std::atoi(request.get_param_value("hop").c_str()) : 0;
    if (hop < m_settings.hops) {
        response.set_redirect(context.ownBase + request.path + "?hop=" + std::to_string(hop + 1), 302);
        return;
    }
    if (m_settings.neverAnswer) {
        while (!context.connection.waitForClientToLeave(std::chrono::hours(1))) {
        }
        return;
    }
    if (m_settings.delayMs > 0 && context.connection.waitForClientToLeave(std::chrono::milliseconds(m_settings.delayMs)))
        return;

    response.status = m_settings.status;
    for (const auto &[name, value] : m_settings.headers)
        response.set_header(name, value);
    if (!m_settings.redirect.empty()) {
        const std::string location = replaced(replaced(m_settings.redirect, "{http}", context.httpBase), "{https}",
                                              context.httpsBase);
        response.set_header("Location", location);
    }
    if (m_settings.trickleMs > 0) {
        const std::chrono::milliseconds pause(m_settings.trickleMs);
        const std::string body = m_settings.body;
        response.set_content_provider(body.size(), m_settings.contentType,
                                      [body, pause](size_t offset, size_t, httplib::DataSink &sink) {
                                          std::this_thread::sleep_for(pause);
                                          return sink.write(body.data() + offset, 1);
                                      });
    } else {
        response.set_content(m_settings.body, m_settings.contentType);
    }
}
