#pragma once
// The one text decoder for files written by other programs (caption files and playlists): picks
// the encoding once for the whole file and turns it into valid UTF-8. Pure C++ (glibc iconv).

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::text {

// Length of the strictly valid UTF-8 sequence at s[i], or 0 when the bytes there are not one
// (overlong forms, surrogates and values past U+10FFFF are refused).
size_t Utf8SequenceLength(std::string_view s, size_t i);

bool IsValidUtf8(std::string_view s);

// The bytes with every byte that does not start a valid sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view s);

// Converts a whole file to UTF-8. A byte-order mark selects UTF-8, UTF-16LE or UTF-16BE; text whose
// odd (or even) bytes are mostly zero is read as UTF-16 without a mark; strictly valid UTF-8 stays
// as it is; anything else is CP949 (the superset of EUC-KR). Bytes that cannot be decoded become
// U+FFFD and decoding goes on after them. The result is always valid UTF-8.
std::string DecodeToUtf8(std::string_view bytes);

// The longest prefix of UTF-8 text that holds at most maxBytes bytes and ends on a character
// boundary (a cut never splits a multi-byte character).
std::string_view CutUtf8(std::string_view s, size_t maxBytes);

}  // namespace velmora::text
