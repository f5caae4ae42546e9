#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <cstddef>
#include <cstdint>

// An answer as it crosses the wire ("HTTP/1.1 200 OK", headers, an empty line, the body), taken
// apart into what libcurl hands the client. A seed reads like a server's answer.
struct WireAnswer {
    long status = 0;
    QByteArray statusLine;
    QByteArray contentType; // empty: none
    QByteArray location;    // empty: none
    QByteArray body;

    static WireAnswer takeApart(const uint8_t *data, size_t size)
    {
        const QByteArray all(reinterpret_cast<const char *>(data), qsizetype(size));
        WireAnswer answer;
        // The headers end at the first empty line, with or without carriage returns.
        const qsizetype lf = all.indexOf("\n\n");
        const qsizetype crlf = all.indexOf("\r\n\r\n");
        const bool byCrlf = crlf >= 0 && (lf < 0 || crlf < lf);
        const qsizetype end = byCrlf ? crlf : lf < 0 ? all.size() : lf;
        answer.body = all.mid(byCrlf ? end + 4 : end + 2);
        const QByteArrayList lines = all.left(end).split('\n');
        for (const QByteArray &line : lines) {
            const QByteArray trimmed = line.trimmed();
            const qsizetype colon = trimmed.indexOf(':');
            if (trimmed.startsWith("HTTP/")) {
                answer.statusLine = trimmed;
                answer.status = trimmed.mid(trimmed.indexOf(' ') + 1, 3).toLong();
            } else if (trimmed.left(colon).compare("Content-Type", Qt::CaseInsensitive) == 0) {
                answer.contentType = trimmed.mid(colon + 1).trimmed();
            } else if (trimmed.left(colon).compare("Location", Qt::CaseInsensitive) == 0) {
                answer.location = trimmed.mid(colon + 1).trimmed();
            }
        }
        return answer;
    }

    static const char *orNull(const QByteArray &value) { return value.isEmpty() ? nullptr : value.constData(); }
};
