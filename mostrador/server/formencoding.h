#pragma once

#include <QByteArray>
#include <QStringList>

// The body of a form POST: each line "name=value" percent-encoded (a space as "+"; letters, digits
// and "*-._" kept; everything else as the upper-case %XX of its UTF-8 bytes), the lines joined with
// "&". Empty lines at either end vanish, so a form of one empty line is a zero-length body.
QByteArray encodeForm(const QStringList &form);
