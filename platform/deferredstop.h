#pragma once

namespace platform {

// While it lives, a request to stop (SIGTERM, SIGINT, SIGHUP, SIGQUIT) does not end the process:
// it is noted for asked(). Work that must not be cut off half-way (dpkg's) runs inside one.
// The signals' default actions come back with its end. One at a time, on the main thread.
class DeferredStop {
public:
    DeferredStop();
    ~DeferredStop();
    DeferredStop(const DeferredStop &) = delete;
    DeferredStop &operator=(const DeferredStop &) = delete;

    // Whether a stop was asked for meanwhile.
    bool asked() const;
};

} // namespace platform
