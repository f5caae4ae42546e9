#pragma once

#include <QString>

namespace platform {

// Whether systemd runs this system (it was booted with it, not a chroot or a container without it).
bool systemdRuns();
// The systemd unit this process runs in ("name.service"), from its control group; empty outside
// any service. Nobody but root can move a process into a service's group.
QString ownSystemdUnit();

} // namespace platform
