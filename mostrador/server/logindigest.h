#pragma once

#include <QString>

// The digest of `text` in the code page: SHA-1 for selector 1, MD5 for any other, as lower-case
// hexadecimal digits. The login signature is calcularHash(user + password + "KestIvoNR", 1).
// Raises DigestError when the cryptographic library refuses the digest.
QString calcularHash(const QString &text, unsigned char selector);
