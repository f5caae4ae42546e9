#include "deferredstop.h"

#include <csignal>

namespace platform {
namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};
volatile sig_atomic_t s_asked = 0;

void note(int)
{
    s_asked = 1;
}

void handleWith(void (*handler)(int))
{
    struct sigaction action{};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kStopSignals)
        sigaction(signal, &action, nullptr);
}

} // namespace

DeferredStop::DeferredStop()
{
    s_asked = 0;
    handleWith(note);
}

DeferredStop::~DeferredStop()
{
    handleWith(SIG_DFL);
}

bool DeferredStop::asked() const
{
    return s_asked != 0;
}

} // namespace platform
