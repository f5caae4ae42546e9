#pragma once

#include <QString>

// The two character ciphers with a repeating key. Mode "E" enciphers, "D" deciphers; any other
// mode is taken as "D" by the additive cipher.
//
// encriptarSuma works modulo 255, so codes 0 and 255 and above would not survive it. Such a text
// is enciphered instead as code 0 followed by the text shifted modulo 65536; the modulo-255 form,
// the one other terminals read, never holds code 0, so its first character tells the two forms
// apart, and every text of codes 1 to 254 keeps the form other terminals read.
QString encriptarSuma(const QString &text, const QString &mode, const QString &key);

// Exclusive-or with the key; its own inverse, so the mode does not matter.
QString encriptarXor(const QString &text, const QString &mode, const QString &key);
