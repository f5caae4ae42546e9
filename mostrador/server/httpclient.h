#pragma once

#include <QString>
#include <QStringList>

// One HTTP/1.1 client: POSTs forms, keeps its settings between requests.
class HttpClient {
public:
    enum class Kind { MainWindow, Private }; // chooses the "Accept" header
    explicit HttpClient(Kind kind, int readTimeoutMs = 5000, bool followRedirects = false);
    ~HttpClient();
    void setReadTimeout(int milliseconds);
    int readTimeout() const;
    void setFollowRedirects(bool follow);
    bool followRedirects() const;
    // POSTs `form` (lines "name=value"; a single empty line is the empty form) to `url` and returns
    // the answer's body decoded by its declared character set (ISO-8859-1 when none is declared).
    // Throws HttpError with the failure's message text on every failure.
    QString post(const QString &url, const QStringList &form);
};
