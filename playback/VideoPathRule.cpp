#include "playback/VideoPathRule.h"

#include <algorithm>
#include <cctype>

namespace velmora::playback {

namespace {

bool ContainsNoCase(std::string_view text, std::string_view word) {
    return std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           }) != text.end();
}

}  // namespace

bool VideoPathNeedsProbe(std::string_view override, bool gpuDevice) {
    if (override == "sw") return false;
    return override == "gl" || gpuDevice;
}

bool IsSoftwareRenderer(std::string_view renderer, std::string_view vendor) {
    static constexpr std::string_view kSoftware[] = {
        "llvmpipe", "softpipe", "swrast", "software", "lavapipe", "basic render driver",
    };
    if (renderer.empty()) return true;  // nothing known about it: do not bet on it
    for (std::string_view word : kSoftware)
        if (ContainsNoCase(renderer, word) || ContainsNoCase(vendor, word)) return true;
    return false;
}

VideoPath ChooseVideoPath(const VideoPathFacts& facts) {
    if (facts.override == "sw" || !facts.glContext) return VideoPath::Software;
    if (facts.override == "gl") return VideoPath::OpenGl;
    if (!facts.gpuDevice || IsSoftwareRenderer(facts.renderer, facts.vendor))
        return VideoPath::Software;
    return VideoPath::OpenGl;
}

}  // namespace velmora::playback
