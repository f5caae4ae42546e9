#pragma once

#include "serversettings.h"

extern const char kUsage[];

// Throws std::invalid_argument naming the first option it cannot use.
ServerSettings parseCommandLine(int argc, char **argv);
