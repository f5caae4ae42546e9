#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Replaces the file's whole content so that a crash or a full disk never leaves it truncated:
// the bytes go to a file beside it that is then renamed over it. The file keeps its owner and
// mode. Where that cannot be done (a directory we may not write, a file owned by another user
// that we may write), the file is rewritten in place. False when the system refuses.
// OwnerOnly: a new file gets mode 0600 and an existing one loses its group and other bits.
enum class FileAccess { FollowUmask, OwnerOnly };
bool writeFileAtomically(const QString &path, const QByteArray &bytes, FileAccess access = FileAccess::FollowUmask);

} // namespace platform
