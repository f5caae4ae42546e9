#pragma once

#include <string>
#include <utility>
#include <vector>

// A route's answer as the command line sets it.
struct AnswerSettings {
    std::string scheme;                    // "http" or "https": answers on that scheme only
    int status = 200;
    std::string body;
    std::string contentType = "text/html";
    int delayMs = 0;                       // before the answer's first byte
    bool neverAnswer = false;              // keeps the connection open without answering
    int trickleMs = 0;                     // sends the body one byte every so many milliseconds
    std::string redirect;                  // Location; "{http}", "{https}" stand for the base URLs
    int hops = 0;                          // redirects to itself (?hop=1 ... ?hop=N) before answering
    std::vector<std::pair<std::string, std::string>> headers; // further header lines of the answer
    // Hostile answers, for the fault tests; each replaces the answer above.
    bool endlessBody = false;              // a body that never ends
    int headerMebibytes = 0;               // header lines of that many MiB
    bool resetMidBody = false;             // a reset halfway through the announced body
};
