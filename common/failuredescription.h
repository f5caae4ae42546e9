#pragma once

#include <QString>
#include <exception>

// What the log says of a caught failure: our own classes give their name and message, any
// other exception its C++ type and what().
struct FailureDescription {
    QString className;
    QString message;
};

FailureDescription describeFailure(const std::exception &failure);
