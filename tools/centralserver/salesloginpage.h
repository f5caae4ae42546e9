#pragma once

#include "route.h"

// The login page of the sales application. The kiosk's VANTO login (a POST of its six fields)
// opens the sales page for that user when the signature is right and is refused otherwise; any
// other request (the Taquilla login's empty POST, the kiosk's connection probe, a GET) opens the
// page without a signed-in user.
class SalesLoginPage : public Route {
public:
    void serve(const httplib::Request &request, httplib::Response &response,
               const RequestContext &context) const override;
};
