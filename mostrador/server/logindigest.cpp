#include "logindigest.h"

#include "codepage.h"

#include <openssl/evp.h>

QString calcularHash(const QString &text, unsigned char selector)
{
    const QByteArray bytes = CodePage::fromUnicode(text);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.constData(), size_t(bytes.size()), digest, &length, selector == 1 ? EVP_sha1() : EVP_md5(),
               nullptr);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}
