#pragma once

namespace report {

// Positions and sizes inside a page are in units of 1/96 inch; paper sizes and margins in
// millimetres. A picture pixel is one unit.
inline constexpr double kUnitsPerInch = 96.0;
inline constexpr double kUnitsPerMm = kUnitsPerInch / 25.4;

} // namespace report
