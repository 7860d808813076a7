// A libmpv of another major version: the player must not call into it. Each function it would
// use first ends the process.
#include <cstdlib>

extern "C" {
unsigned long mpv_client_api_version() {
    return (1UL << 16) | 109;
}
void* mpv_create() {
    std::abort();
}
}
