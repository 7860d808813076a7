#include "dialogs/OpenableAddress.h"

#include <algorithm>

#include "playback/PlayList.h"

namespace velmora::dialogs {

bool IsOpenableAddress(std::string_view text) {
    constexpr std::string_view kBlank = " \t";
    const size_t first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos) return false;
    text = text.substr(first, text.find_last_not_of(kBlank) - first + 1);
    const bool control = std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (control || !velmora::playback::IsStreamAddress(text)) return false;
    const size_t rest = text.find("://") + 3;
    return rest < text.size() && text[rest] != ' ';
}

}  // namespace velmora::dialogs
