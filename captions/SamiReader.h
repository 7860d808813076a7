#pragma once
// Reader for SAMI caption files: decodes the file to UTF-8 (captions/TextDecoder.h), splits it
// into timed blocks and keeps the markup of one language class per block. Pure C++.
//
// The markup handed out is what the caption parser downstream reads: tags such as <br> and
// <font color=...> stay as they are, "&nbsp;" stays as it is, and no entity is ever turned into an
// angle bracket.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sami {

struct SamiCue {
    int64_t startMs = 0;
    std::string markup;

    bool operator==(const SamiCue&) const = default;
};

// Largest file LoadSamiFile reads; larger files are refused.
inline constexpr int64_t kMaxFileBytes = 32 * 1024 * 1024;

// Splits decoded SAMI text into cues sorted by start time (stable; of several blocks with the same
// start only the last is kept). Only blocks holding a paragraph of the chosen language class, or a
// paragraph without a class, give cues.
std::vector<SamiCue> ParseSami(std::string_view utf8);

// The language class ParseSami chooses for the text ("" when the text names none): a Korean class
// when one is declared, else the first declared class, else the first class used by a paragraph.
std::string ChooseClass(std::string_view utf8);

// Reads, decodes and parses a file. Empty on any failure: missing, unreadable, larger than
// kMaxFileBytes, binary or without any timed block.
std::vector<SamiCue> LoadSamiFile(const std::string& path);

// Index of the last cue starting at or before ms, or -1.
int CueIndexAt(const std::vector<SamiCue>& cues, int64_t ms);

}  // namespace sami
