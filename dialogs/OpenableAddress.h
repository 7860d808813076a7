#pragma once

#include <string_view>

namespace velmora::dialogs {

// True when a typed address is something the player may hand to the media back end: a network
// address of a streaming or download scheme a playlist may also name (IsStreamAddress), with a
// place after "://", no control characters, and blanks only around it. False for empty or blank
// text, local paths, file URLs and every other scheme.
bool IsOpenableAddress(std::string_view text);

}  // namespace velmora::dialogs
