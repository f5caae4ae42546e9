#pragma once

#include <QtGlobal>
#include <functional>

// How far this process's peak resident memory rose above what it held before `work`, in KiB;
// 0 in a sanitizer build.
qint64 peakGrowthKb(const std::function<void()> &work);
