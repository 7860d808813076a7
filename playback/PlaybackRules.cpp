#include "playback/PlaybackRules.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace velmora::playback {

int VolumeForStep(int step) {
    static constexpr std::array<int, 11> kTable{0,    -90,   -190,  -300,  -440, -600,
                                                -790, -1040, -1390, -2000, -9640};
    return kTable[std::clamp(step, 0, 10)];
}

std::string FormatTime(int seconds) {
    char text[32];
    if (seconds / 3600 != 0) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, (seconds / 60) % 60,
                      seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d", (seconds / 60) % 60, seconds % 60);
    }
    return text;
}

std::optional<double> SeekTarget(double position, double duration, double delta) {
    const double x = position + delta;
    if (delta > 0) return duration > x ? std::optional(x) : std::nullopt;
    return x > 0 ? x : 0.0;
}

std::optional<std::string> NextNumberedFile(std::string_view current,
                                            const std::vector<std::string>& candidates) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const size_t nameStart =
        current.rfind('/') == std::string_view::npos ? 0 : current.rfind('/') + 1;
    std::optional<std::string> best;
    for (const std::string& c : candidates) {
        if (c.size() != current.size() || c <= current) continue;
        bool fits = true;
        for (size_t i = 0; i < c.size() && fits; ++i) {
            if (c[i] == current[i]) continue;
            // Only digits of the file name may differ, and only from other digits.
            fits = i >= nameStart && isDigit(c[i]) && isDigit(current[i]);
        }
        if (fits && (!best || c < *best)) best = c;
    }
    return best;
}

}  // namespace velmora::playback
