// Fuzzes what the server link makes of an answer once it has arrived: the failure's message of
// a refused request, the body decoded by the declared character set, and the two readings of it
// that reach later requests (the address the refresh thread stores, the version number).
#include "httpanswer.h"
#include "integertext.h"
#include "storedserveraddress.h"
#include "wireanswer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const WireAnswer answer = WireAnswer::takeApart(data, size);
    if (answer.status < 200 || answer.status > 299) {
        if (httpanswer::statusFailure(answer.status, answer.statusLine, WireAnswer::orNull(answer.location)).isEmpty())
            __builtin_trap();
        return 0;
    }
    const QString text = httpanswer::decodeBody(answer.body, WireAnswer::orNull(answer.contentType));
    parseInteger(text.left(1) + text.mid(2, 1));

    // A stored address goes between "http://" and a path: nothing else may stand there.
    const QString address = text.trimmed();
    if (esDireccionServidor(address)) {
        for (const QChar c : address)
            if (!(c.isDigit() || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'.' || c == u'-' ||
                  c == u':') || c.unicode() > 0x7F)
                __builtin_trap();
    }
    return 0;
}
