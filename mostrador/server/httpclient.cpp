#include "httpclient.h"

#include "formencoding.h"
#include "httpanswer.h"
#include "httperror.h"

#include <chrono>
#include <curl/curl.h>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kUserAgent[] = "Mozilla/3.0 (compatible; Indy Library)";
constexpr char kMainWindowAccept[] = "Accept: text/html, */*";
constexpr char kPrivateAccept[] = "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
constexpr long kMaxRedirects = 15;
// The server's answers are a few bytes; an endless body must not exhaust the memory.
constexpr qsizetype kMaxAnswerBytes = 16 * 1024 * 1024;
// How often the time limits are looked at while no data moves.
constexpr int kWakeUpMs = 50;

// libcurl's global state is made once, by whichever thread gets here first, and never torn down:
// a background request may still be running when the process ends.
void initialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter {
    void operator()(CURLM *handle) const { curl_multi_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

// One request, across its redirects.
struct Exchange {
    std::chrono::milliseconds readTimeout{};
    std::chrono::milliseconds answerTimeLimit{};
    bool requestUnderWay = false;
    bool inHeader = false; // between the request and the blank line that ends the answer's header
    bool connected = false;
    Clock::time_point connectedAt;
    Clock::time_point lastData;
    curl_off_t downloaded = 0;
    curl_off_t uploaded = 0;
    QByteArray statusLine;
    QByteArray body;
    QString failure; // why a callback ended the transfer
};

// A new connection attempt begins (the first, or one after a redirect): until it is made, only the
// connection time-out applies.
int onNewSocket(void *data, curl_socket_t, curlsocktype)
{
    static_cast<Exchange *>(data)->requestUnderWay = false;
    return CURL_SOCKOPT_OK;
}

// The connection attempt is over: from here on the server must send something within the read
// time-out. The answer's time limit runs from the first connection on: redirects to a server that
// trickles each answer would otherwise renew it fifteen times.
void startWaitingForData(Exchange &exchange)
{
    exchange.requestUnderWay = true;
    exchange.lastData = Clock::now();
    if (!exchange.connected) {
        exchange.connected = true;
        exchange.connectedAt = exchange.lastData;
    }
}

// The TCP connection is made and the TLS handshake begins: a server that accepts and never
// answers it (a filter on port 443) is given up after the read time-out, not the connection's.
CURLcode onTlsStart(CURL *, void *, void *data)
{
    startWaitingForData(*static_cast<Exchange *>(data));
    return CURLE_OK;
}

// A connection is made (or reused) and the request is about to go.
int onRequestReady(void *data, char *, char *, int, int)
{
    auto &exchange = *static_cast<Exchange *>(data);
    startWaitingForData(exchange);
    exchange.inHeader = true;
    return CURL_PREREQFUNC_OK;
}

size_t onHeader(char *buffer, size_t size, size_t count, void *data)
{
    auto &exchange = *static_cast<Exchange *>(data);
    const QByteArray line(buffer, static_cast<qsizetype>(size * count));
    exchange.lastData = Clock::now();
    if (line.startsWith("HTTP/"))
        exchange.statusLine = line.trimmed();
    exchange.inHeader = line.startsWith("HTTP/") || (line != "\r\n" && line != "\n");
    return size * count;
}

size_t onBody(char *buffer, size_t size, size_t count, void *data)
{
    auto &exchange = *static_cast<Exchange *>(data);
    exchange.lastData = Clock::now();
    if (exchange.body.size() + static_cast<qsizetype>(size * count) > kMaxAnswerBytes) {
        exchange.failure = QStringLiteral("The answer is longer than %1 bytes").arg(kMaxAnswerBytes);
        return 0;
    }
    exchange.body.append(buffer, static_cast<qsizetype>(size * count));
    return size * count;
}

int onProgress(void *data, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded)
{
    auto &exchange = *static_cast<Exchange *>(data);
    const Clock::time_point now = Clock::now();
    if (downloaded != exchange.downloaded || uploaded != exchange.uploaded) {
        exchange.downloaded = downloaded;
        exchange.uploaded = uploaded;
        exchange.lastData = now;
    }
    if (!exchange.requestUnderWay)
        return 0;
    if (now - exchange.lastData > exchange.readTimeout) {
        exchange.failure = QStringLiteral("Read timed out: no data for %1 ms").arg(exchange.readTimeout.count());
        return 1;
    }
    if (now - exchange.connectedAt > exchange.answerTimeLimit) {
        exchange.failure = QStringLiteral("The answer took longer than %1 ms").arg(exchange.answerTimeLimit.count());
        return 1;
    }
    return 0;
}

} // namespace

struct HttpClient::Session {
    std::unique_ptr<CURLM, MultiDeleter> multi;
    std::unique_ptr<CURL, EasyDeleter> easy;
    std::unique_ptr<curl_slist, ListDeleter> headers;
    char errorText[CURL_ERROR_SIZE] = {};
};

HttpClient::HttpClient(Kind kind, int readTimeoutMs, bool followRedirects)
    : m_session(std::make_unique<Session>()), m_readTimeoutMs(readTimeoutMs), m_followRedirects(followRedirects)
{
    initialiseLibrary();
    m_session->multi.reset(curl_multi_init());
    m_session->easy.reset(curl_easy_init());
    // libcurl sends "Content-Type: application/x-www-form-urlencoded" with every POST of fields,
    // the empty ones included, and not with the GET that follows a 301, 302 or 303.
    curl_slist *headers = curl_slist_append(nullptr, kind == Kind::MainWindow ? kMainWindowAccept : kPrivateAccept);
    if (headers && !curl_slist_append(headers, "Expect:")) {
        curl_slist_free_all(headers);
        headers = nullptr;
    }
    m_session->headers.reset(headers);

    CURL *easy = m_session->easy.get();
    if (!easy)
        return;
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, m_session->errorText);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    // 301, 302 and 303 go on as GET, 307 and 308 repeat the POST.
    curl_easy_setopt(easy, CURLOPT_POSTREDIR, 0L);
    curl_easy_setopt(easy, CURLOPT_PROXY, ""); // no proxy, not even one named by the environment
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, m_session->headers.get());
    curl_easy_setopt(easy, CURLOPT_SSLVERSION,
                     static_cast<long>(CURL_SSLVERSION_TLSv1_2) | static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, onNewSocket);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, onRequestReady);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, onTlsStart);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
}

HttpClient::~HttpClient() = default;

void HttpClient::setReadTimeout(int milliseconds)
{
    m_readTimeoutMs = milliseconds;
}

int HttpClient::readTimeout() const
{
    return m_readTimeoutMs;
}

void HttpClient::setFollowRedirects(bool follow)
{
    m_followRedirects = follow;
}

bool HttpClient::followRedirects() const
{
    return m_followRedirects;
}

void HttpClient::setAnswerTimeLimit(int milliseconds)
{
    m_answerTimeLimitMs = milliseconds;
}

int HttpClient::answerTimeLimit() const
{
    return m_answerTimeLimitMs;
}

void HttpClient::setConnectTimeout(int milliseconds)
{
    m_connectTimeoutMs = milliseconds;
}

int HttpClient::connectTimeout() const
{
    return m_connectTimeoutMs;
}

QString HttpClient::post(const QString &url, const QStringList &form)
{
    CURL *easy = m_session->easy.get();
    CURLM *multi = m_session->multi.get();
    if (!easy || !multi || !m_session->headers)
        throw HttpError(QStringLiteral("The HTTP library cannot start"));

    Exchange exchange;
    exchange.readTimeout = std::chrono::milliseconds(m_readTimeoutMs);
    exchange.answerTimeLimit = std::chrono::milliseconds(m_answerTimeLimitMs);
    const QByteArray address = url.toUtf8();
    const QByteArray body = encodeForm(form);
    m_session->errorText[0] = '\0';
    curl_easy_setopt(easy, CURLOPT_URL, address.constData());
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.constData());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, m_followRedirects ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_connectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &exchange);

    // The multi interface wakes up often enough for the read time-out to be kept to the
    // millisecond range; curl_easy_perform looks at the progress only about once a second.
    CURLcode result = CURLE_FAILED_INIT;
    if (curl_multi_add_handle(multi, easy) == CURLM_OK) {
        int running = 1;
        while (running > 0) {
            if (curl_multi_perform(multi, &running) != CURLM_OK)
                break;
            if (running > 0 && curl_multi_poll(multi, nullptr, 0, kWakeUpMs, nullptr) != CURLM_OK)
                break;
        }
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                result = message->data.result;
        }
        curl_multi_remove_handle(multi, easy);
    }

    if (result != CURLE_OK) {
        if (!exchange.failure.isEmpty())
            throw HttpError(exchange.failure);
        // libcurl refuses a header line longer than it can hold as if memory had run out.
        if (result == CURLE_OUT_OF_MEMORY && exchange.inHeader)
            throw HttpError(QStringLiteral("The answer's header is too long"));
        throw HttpError(QString::fromUtf8(m_session->errorText[0] ? m_session->errorText
                                                                    : curl_easy_strerror(result)));
    }
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) {
        char *location = nullptr;
        if (status < 300 || status > 399 || curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location) != CURLE_OK)
            location = nullptr;
        throw HttpError(httpanswer::statusFailure(status, exchange.statusLine, location));
    }
    char *contentType = nullptr;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &contentType);
    return httpanswer::decodeBody(exchange.body, contentType);
}
