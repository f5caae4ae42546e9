#pragma once

#include <QString>
#include <optional>

namespace platform {

// A place on the way to a program that someone other than root could change.
struct UntrustedPath {
    enum class Reason { NotOwnedByRoot, WritableByOthers };
    Reason reason;
    QString path; // the file or directory at fault
};

// Whether only root can change what `program` runs: the file, its directory and every directory
// above belong to root and nobody else may write them. Above the program's own directory a
// directory with the sticky bit may be world-writable (like /tmp): nobody can rename or replace
// root's entries in it. A link is checked where it lies and where it leads. `program` must exist.
std::optional<UntrustedPath> untrustedForRoot(const QString &program);

} // namespace platform
