#pragma once

#include "answersettings.h"

#include <string>
#include <utility>
#include <vector>

// Everything the command line sets.
struct ServerSettings {
    std::string bindAddress = "127.0.0.1";
    int httpPort = 0;  // 0: chosen by the system
    int httpsPort = 0;
    std::string certificateName = "localhost";
    bool tls13Only = false;
    bool garbageInsteadOfTls = false;
    std::string recordPath; // empty: nothing recorded
    std::string aptRepository; // a directory served at /VANTO/apt/; empty: none
    std::vector<std::pair<std::string, AnswerSettings>> routes;
};
