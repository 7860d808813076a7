#include "app/StartupTrace.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>

namespace startup_trace {
namespace {

double NowMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

// The process's start as a CLOCK_MONOTONIC reading: its start time since boot (in clock ticks,
// field 22 of /proc/self/stat) moved from the boot clock to the monotonic one.
double ProcessStartMs() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return NowMs(CLOCK_MONOTONIC);
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double ticks = std::strtod(field.c_str(), nullptr);
    const double sinceBootMs = ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
    return NowMs(CLOCK_MONOTONIC) - (NowMs(CLOCK_BOOTTIME) - sinceBootMs);
}

}  // namespace

void Mark(const char* what) {
    static const bool enabled = std::getenv("VELMORA_TRACE_STARTUP") != nullptr;
    if (!enabled) return;
    static std::mutex mutex;
    static std::set<std::string> seen;
    static const double start = ProcessStartMs();
    const std::lock_guard lock(mutex);
    if (!seen.insert(what).second) return;
    std::fprintf(stderr, "velmora-start %7.1f ms  %s\n", NowMs(CLOCK_MONOTONIC) - start, what);
}

}  // namespace startup_trace
