#pragma once

#include <QString>

namespace platform {

// Abbreviated month name (1 to 12) of the process locale's LC_TIME category.
QString abbreviatedMonthName(int month);

} // namespace platform
