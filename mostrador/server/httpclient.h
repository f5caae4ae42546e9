#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// One HTTP/1.1 client: POSTs forms, keeps its settings (and its open connection) between requests.
// Not shared between threads; any number of clients may work at once on different threads.
class HttpClient {
public:
    enum class Kind { MainWindow, Private }; // chooses the "Accept" header

    static constexpr int kDefaultAnswerTimeLimitMs = 60000;
    // Where the system the kiosk was designed for gives up a connection attempt; Linux alone
    // waits about 127 s, which would hold the start-up for minutes per unreachable address.
    static constexpr int kConnectTimeoutMs = 21000;

    explicit HttpClient(Kind kind, int readTimeoutMs = 5000, bool followRedirects = false);
    ~HttpClient();
    HttpClient(const HttpClient &) = delete;
    HttpClient &operator=(const HttpClient &) = delete;

    // Longest wait for the next piece of data once the request is under way.
    void setReadTimeout(int milliseconds);
    int readTimeout() const;
    // Follows up to 15 redirects in a row; when off, a redirect answer is a failure.
    void setFollowRedirects(bool follow);
    bool followRedirects() const;
    // Longest time from the first connection to the end of the last answer, redirects included,
    // so that a server trickling its answers cannot hold the caller forever.
    void setAnswerTimeLimit(int milliseconds);
    int answerTimeLimit() const;
    // Longest wait for a connection to be made.
    void setConnectTimeout(int milliseconds);
    int connectTimeout() const;

    // POSTs `form` (lines "name=value"; a single empty line is the empty form) to `url` and returns
    // the answer's body decoded by its declared character set (ISO-8859-1 when none is declared).
    // Throws HttpError with the failure's message text on every failure.
    QString post(const QString &url, const QStringList &form);

private:
    struct Session;

    std::unique_ptr<Session> m_session;
    int m_readTimeoutMs;
    bool m_followRedirects;
    int m_answerTimeLimitMs = kDefaultAnswerTimeLimitMs;
    int m_connectTimeoutMs = kConnectTimeoutMs;
};
