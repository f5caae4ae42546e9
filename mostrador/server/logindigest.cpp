#include "logindigest.h"

#include "codepage.h"
#include "digesterror.h"

#include <openssl/err.h>
#include <openssl/evp.h>

QString calcularHash(const QString &text, unsigned char selector)
{
    const QByteArray bytes = CodePage::fromUnicode(text);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &length, selector == 1 ? EVP_sha1() : EVP_md5(),
                   nullptr) != 1) {
        // An empty signature would log in as a wrong one: the start-up stops with the reason.
        char reason[256] = "EVP_Digest";
        if (const unsigned long code = ERR_get_error())
            ERR_error_string_n(code, reason, sizeof reason);
        ERR_clear_error();
        throw DigestError(QString::fromLatin1(reason));
    }
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}
