#pragma once

#include "route.h"

// An answer that announces a body of 1 MiB and breaks the connection off with a reset halfway.
class ResetMidBody : public Route {
public:
    void serve(const httplib::Request &request, httplib::Response &response,
               const RequestContext &context) const override;
};
