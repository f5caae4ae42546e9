#pragma once

#include "applicationwindows.h"

// ApplicationWindows over the running QGuiApplication.
class QtApplicationWindows : public ApplicationWindows {
public:
    void processEvents() override;
    void bringToFront() override;
};
