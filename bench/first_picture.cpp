// Launch to first picture on screen, measured from outside the player: starts a command, then
// polls the X screen every 2 ms until the clip's solid colour shows, and prints
//   first_picture_ms <milliseconds from just before the fork to the first poll that saw it>
// The player is then ended (SIGTERM, SIGKILL after 5 s) and waited for, so the next run starts
// on an empty screen. Exit status: 0 seen, 1 the player ended first, 2 usage, 3 timed out.
//
// Each poll reads a one-pixel-high strip of the root window every kRowStep rows (all requests sent
// before the first reply is read), so a picture of any useful size anywhere on the screen is
// found, at a cost that is the same whatever player is measured.
//
// Usage: first_picture [--colour RRGGBB] [--timeout MS] -- COMMAND [ARGS...]
// Used by bench/startup-vs-mpv.sh.

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kRowStep = 64;
constexpr int kMatchesNeeded = 64;  // pixels of the colour in one strip: a picture, not an icon
constexpr int kTolerance = 40;

double NowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

bool Near(int a, int b) {
    return std::abs(a - b) <= kTolerance;
}

// True when a strip of 32-bit pixels (B, G, R, X in memory) holds enough of the colour.
bool StripHas(const uint8_t* data, int length, int pixels, uint32_t rgb) {
    const int r = int(rgb >> 16) & 0xff, g = int(rgb >> 8) & 0xff, b = int(rgb) & 0xff;
    int matches = 0;
    for (int i = 0; i < pixels && (i + 1) * 4 <= length; ++i) {
        const uint8_t* p = data + i * 4;
        if (Near(p[2], r) && Near(p[1], g) && Near(p[0], b) && ++matches >= kMatchesNeeded)
            return true;
    }
    return false;
}

void EndChild(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t colour = 0xff00ff;
    double timeoutMs = 60000;
    int i = 1;
    for (; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--colour") && i + 1 < argc)
            colour = uint32_t(std::strtoul(argv[++i], nullptr, 16));
        else if (!std::strcmp(argv[i], "--timeout") && i + 1 < argc)
            timeoutMs = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--")) {
            ++i;
            break;
        } else
            break;
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: first_picture [--colour RRGGBB] [--timeout MS] -- CMD...\n");
        return 2;
    }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "first_picture: no X display\n");
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const int width = screen->width_in_pixels, height = screen->height_in_pixels;
    std::vector<xcb_get_image_cookie_t> cookies;

    const double start = NowMs();
    const pid_t pid = fork();
    if (pid < 0) return 2;
    if (pid == 0) {
        execvp(argv[i], argv + i);
        _exit(127);
    }

    int status = 3;
    while (NowMs() - start < timeoutMs) {
        cookies.clear();
        for (int y = kRowStep / 2; y < height; y += kRowStep)
            cookies.push_back(xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0,
                                            int16_t(y), uint16_t(width), 1, ~0u));
        bool seen = false;
        for (const xcb_get_image_cookie_t& cookie : cookies) {
            std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
                xcb_get_image_reply(c, cookie, nullptr), &std::free);
            if (!seen && reply && reply->depth >= 24)
                seen = StripHas(xcb_get_image_data(reply.get()),
                                xcb_get_image_data_length(reply.get()), width, colour);
        }
        if (seen) {
            std::printf("first_picture_ms %.1f\n", NowMs() - start);
            std::fflush(stdout);
            status = 0;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "first_picture: %s ended before a picture showed\n", argv[i]);
            xcb_disconnect(c);
            return 1;
        }
        usleep(2000);
    }
    if (status == 3) std::fprintf(stderr, "first_picture: no picture in %.0f ms\n", timeoutMs);
    EndChild(pid);
    xcb_disconnect(c);
    return status;
}
