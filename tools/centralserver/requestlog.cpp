#include "requestlog.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace {

std::string base64(const std::string &bytes)
{
    std::vector<unsigned char> text(4 * ((bytes.size() + 2) / 3) + 1);
    const int length = EVP_EncodeBlock(text.data(), reinterpret_cast<const unsigned char *>(bytes.data()),
                                       static_cast<int>(bytes.size()));
    return std::string(reinterpret_cast<const char *>(text.data()), static_cast<size_t>(length));
}

std::string quoted(const std::string &text)
{
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out + '"';
}

} // namespace

RequestLog::RequestLog(const std::string &path)
{
    if (path.empty())
        return;
    m_file = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (m_file < 0)
        throw std::runtime_error("cannot open " + path);
}

RequestLog::~RequestLog()
{
    if (m_file >= 0)
        close(m_file);
}

void RequestLog::record(const std::string &scheme, const std::string &method, const std::string &target,
                        const std::string &head, const std::string &body)
{
    if (m_file < 0)
        return;
    const std::string line = "{\"scheme\":" + quoted(scheme) + ",\"method\":" + quoted(method) + ",\"target\":"
        + quoted(target) + ",\"head\":\"" + base64(head) + "\",\"body\":\"" + base64(body) + "\"}\n";
    const std::lock_guard<std::mutex> guard(m_mutex);
    for (size_t done = 0; done < line.size();) {
        const ssize_t written = ::write(m_file, line.data() + done, line.size() - done);
        if (written <= 0)
            return;
        done += static_cast<size_t>(written);
    }
}
