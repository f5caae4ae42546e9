#pragma once

#include <QtGlobal>
#include <functional>

// How far this process's peak resident memory rose above what it held before `work`, in KiB.
qint64 peakGrowthKb(const std::function<void()> &work);
