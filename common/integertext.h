#pragma once

#include <QString>
#include <optional>

// Whole numbers as the settings file and the print string write them: optional leading
// blanks, an optional sign, decimal digits, or hexadecimal after "$", "0x" or "0X".
std::optional<int> parseInteger(QStringView text);

// parseInteger, raising ConversionError ("''x'' is not a valid integer value") on failure.
int toInteger(const QString &text);
