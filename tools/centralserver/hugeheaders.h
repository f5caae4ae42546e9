#pragma once

#include "route.h"

// An answer whose header lines add up to `mebibytes` MiB, one MiB a line, before a short body.
class HugeHeaders : public Route {
public:
    explicit HugeHeaders(int mebibytes);

    void serve(const httplib::Request &request, httplib::Response &response,
               const RequestContext &context) const override;

private:
    int m_mebibytes;
};
