// A libmpv of another major version, which the player must never call into.
#include <cstdlib>

extern "C" unsigned long mpv_client_api_version() {
    return 1UL << 16;
}
extern "C" void* mpv_create() {
    std::abort();
}
