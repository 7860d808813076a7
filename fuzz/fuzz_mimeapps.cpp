// Edits arbitrary bytes as a mimeapps.list the way associating and restoring do, and checks that
// the player's entry leads after associating, that restoring gives the previous owner back, and
// that the round trip gives back the very bytes it started from wherever the file's entries for
// the type are in the form the editor writes itself.
#include "app/MimeApps.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kMime = "video/mpeg";
constexpr std::string_view kOurs = "velmora-file.desktop";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// A value the editor writes back unchanged: ids without blanks, none empty, ours not among them.
bool IsPlainValue(std::string_view value) {
    if (value.empty()) return false;
    if (value.back() == ';') value.remove_suffix(1);
    while (true) {
        const size_t semi = value.find(';');
        const std::string_view id = value.substr(0, semi);
        if (id.empty() || id == kOurs || id.find_first_of(" \t\r") != std::string_view::npos)
            return false;
        if (semi == std::string_view::npos) return true;
        value.remove_prefix(semi + 1);
    }
}

// Whether the round trip must be exact: every entry for the type in a "[Default Applications]"
// group is plain and there is one, or there is none and the first such group's header ends its
// line (the added entry goes right after it and is taken out again).
bool RoundTripIsExact(std::string_view text) {
    bool inDefaults = false, header = false, headerEnded = false;
    int entries = 0;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        const std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        const std::string_view t = Trim(line);
        if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            inDefaults = t == "[Default Applications]";
            if (inDefaults && !header) header = true, headerEnded = nl != std::string_view::npos;
            continue;
        }
        const size_t eq = line.find('=');
        if (!inDefaults || eq == std::string_view::npos || Trim(line.substr(0, eq)) != kMime)
            continue;
        ++entries;
        if (!IsPlainValue(line.substr(line.find_first_not_of(" \t", eq + 1) == std::string::npos
                                          ? line.size()
                                          : line.find_first_not_of(" \t", eq + 1))))
            return false;
    }
    return entries > 0 || (header && headerEnded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string previous = mimeapps::DefaultFor(text, kMime);
    if (previous == kOurs) return 0;  // associating changes nothing then
    const std::string associated = mimeapps::SetFirst(text, kMime, kOurs);
    if (mimeapps::DefaultFor(associated, kMime) != kOurs) abort();
    if (mimeapps::SetFirst(associated, kMime, kOurs) != associated) abort();
    const std::string restored = mimeapps::Restore(associated, kMime, kOurs, previous);
    if (!previous.empty() && mimeapps::DefaultFor(restored, kMime) != previous) abort();
    if (RoundTripIsExact(text) && restored != text) abort();
    return 0;
}
