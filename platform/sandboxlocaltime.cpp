// Linked into a program that serves as Qt WebEngine's sub-processes. Inside Chromium's Linux
// sandbox a renderer cannot open the time zone files, so the C library's local time calls are
// routed to Chromium's replacements, which ask the browser process. Outside the sandbox those
// replacements call the C library as usual. The program itself must define these symbols:
// only the executable comes before the C library in symbol lookup.
#include <ctime>

namespace sandbox {
struct tm *localtime_override(const time_t *timep);
struct tm *localtime_r_override(const time_t *timep, struct tm *result);
} // namespace sandbox

extern "C" {

__attribute__((visibility("default"))) struct tm *localtime(const time_t *timep) noexcept
{
    return sandbox::localtime_override(timep);
}

__attribute__((visibility("default"))) struct tm *localtime_r(const time_t *timep, struct tm *result) noexcept
{
    return sandbox::localtime_r_override(timep, result);
}

} // extern "C"
