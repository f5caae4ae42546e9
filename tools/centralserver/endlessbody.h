#pragma once

#include "route.h"

// An answer whose body never ends: chunks of filler for as long as the client reads them.
class EndlessBody : public Route {
public:
    void serve(const httplib::Request &request, httplib::Response &response,
               const RequestContext &context) const override;
};
