#pragma once

#include <QByteArray>
#include <QString>

// What the client makes of an answer once libcurl has taken it apart: no socket is involved,
// so every server's bytes can be tried here directly.
namespace httpanswer {

// The body as text, decoded by the character set that the Content-Type value declares (null when
// the answer has none); ISO-8859-1 when none is declared or the declared one is unknown here,
// which loses no byte.
QString decodeBody(const QByteArray &body, const char *contentType);
// The failure's message for a final status outside 200 to 299: the status line as received, or
// "HTTP status N" without one, and where a redirect that was not followed pointed (null: none).
QString statusFailure(long status, const QByteArray &statusLine, const char *redirectTo);

} // namespace httpanswer
