#pragma once

#include "answersettings.h"
#include "route.h"

// A route answering with the status, body, timing and redirect of its settings.
class ConfiguredAnswer : public Route {
public:
    explicit ConfiguredAnswer(AnswerSettings settings);

    void serve(const httplib::Request &request, httplib::Response &response,
               const RequestContext &context) const override;

private:
    AnswerSettings m_settings;
};
