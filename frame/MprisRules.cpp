#include "frame/MprisRules.h"

#include <algorithm>
#include <cmath>

#include "playback/PlayList.h"

namespace mpris_rules {

const char* PlaybackStatus(long openState, long playState) {
    if (openState != 6) return "Stopped";
    if (playState == 2) return "Playing";
    if (playState == 1) return "Paused";
    return "Stopped";
}

std::int64_t Microseconds(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return 0;
    // Far beyond any medium's length; keeps the conversion defined.
    constexpr double kMaxSeconds = 1e12;
    return std::int64_t(std::min(seconds, kMaxSeconds) * 1e6);
}

double Seconds(std::int64_t microseconds) {
    return double(microseconds) / 1e6;
}

double VolumeForStep(int step) {
    return (10 - std::clamp(step, 0, 10)) / 10.0;
}

std::optional<int> StepForVolume(double volume) {
    if (std::isnan(volume)) return std::nullopt;
    return 10 - int(std::lround(std::clamp(volume, 0.0, 1.0) * 10));
}

bool PositionOnTrack(std::int64_t positionUs, std::int64_t lengthUs) {
    return positionUs >= 0 && positionUs <= lengthUs && lengthUs > 0;
}

std::string PathForUri(std::string_view uri) {
    const bool file = uri.size() >= 5 && (uri[0] | 0x20) == 'f' && (uri[1] | 0x20) == 'i' &&
                      (uri[2] | 0x20) == 'l' && (uri[3] | 0x20) == 'e' && uri[4] == ':';
    if (!file && !velmora::playback::IsStreamAddress(uri)) return {};
    return velmora::playback::ResolveM3uEntry(uri, {});
}

std::string TrackTitle(std::string_view path) {
    const size_t cut = path.find_last_of("/\\");
    const std::string_view last = cut == std::string_view::npos ? path : path.substr(cut + 1);
    return std::string(last.empty() ? path : last);
}

}  // namespace mpris_rules
