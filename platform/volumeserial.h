#pragma once

#include <QtGlobal>

namespace platform {

// 32 bits identifying the filesystem that holds the current directory, stable across
// reboots: the first 32 bits of its UUID when it has one, else its filesystem id.
quint32 volumeSerialOfCurrentDirectory();

} // namespace platform
