// Fuzzes the decoding of the server's enrolment answer: the body by its declared character set,
// then URL decoding. What the decoding gives, sent the way a form sends its values, must decode
// back to itself.
#include "formencoding.h"
#include "httpanswer.h"
#include "urldecodeerror.h"
#include "urlencodedtext.h"
#include "wireanswer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const WireAnswer answer = WireAnswer::takeApart(data, size);
    const QString body = httpanswer::decodeBody(answer.body, WireAnswer::orNull(answer.contentType));
    QString decoded;
    try {
        decoded = UrlEncodedText::decode(body);
    } catch (const UrlDecodeError &) {
        return 0;
    }
    if (UrlEncodedText::decode(QString::fromLatin1(encodeForm({decoded}))) != decoded)
        __builtin_trap();
    return 0;
}
