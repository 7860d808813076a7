#include "captions/TextDecoder.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace velmora::text {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Converts with iconv; every unit that cannot be converted (unit bytes: 1 for CP949, 2 for
// UTF-16) becomes U+FFFD and conversion goes on after it. iconv may report a bad sequence after
// it has consumed the last byte, so the skip never goes past what is left.
std::string ConvertToUtf8(std::string_view in, const char* from, size_t unit) {
    iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return SanitizeUtf8(in);
    std::string out;
    out.reserve(in.size() + in.size() / 2 + 16);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char buf[16384];
    while (inLeft > 0) {
        char* outPtr = buf;
        size_t outLeft = sizeof buf;
        const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int err = errno;
        out.append(buf, static_cast<size_t>(outPtr - buf));
        if (r != static_cast<size_t>(-1) || err == E2BIG) continue;
        out += kReplacement;  // EILSEQ, or EINVAL for a cut-off sequence at the end
        const size_t skip = std::min(unit, inLeft);
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return SanitizeUtf8(out);
}

// UTF-16 without a byte-order mark: markup and paths are mostly ASCII, so one byte of most units
// is 0. Text in any 8-bit encoding holds no zero bytes at all.
const char* GuessUtf16(std::string_view s) {
    const size_t pairs = std::min<size_t>(s.size(), 4096) / 2;
    if (pairs < 8) return nullptr;
    size_t zeroEven = 0, zeroOdd = 0;
    for (size_t i = 0; i < pairs; ++i) {
        zeroEven += s[2 * i] == 0;
        zeroOdd += s[2 * i + 1] == 0;
    }
    if (zeroOdd * 10 >= pairs * 4 && zeroEven * 20 < pairs) return "UTF-16LE";
    if (zeroEven * 10 >= pairs * 4 && zeroOdd * 20 < pairs) return "UTF-16BE";
    return nullptr;
}

}  // namespace

size_t Utf8SequenceLength(std::string_view s, size_t i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) return 1;
    size_t n = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return 0;
    if (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return 0;
    return n;
}

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const size_t n = Utf8SequenceLength(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string SanitizeUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const size_t n = Utf8SequenceLength(s, i);
        if (n == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(s.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::string DecodeToUtf8(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return SanitizeUtf8(bytes.substr(3));
    if (bytes.starts_with("\xFF\xFE")) return ConvertToUtf8(bytes.substr(2), "UTF-16LE", 2);
    if (bytes.starts_with("\xFE\xFF")) return ConvertToUtf8(bytes.substr(2), "UTF-16BE", 2);
    if (const char* utf16 = GuessUtf16(bytes)) return ConvertToUtf8(bytes, utf16, 2);
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return ConvertToUtf8(bytes, "CP949", 1);
}

std::string_view CutUtf8(std::string_view s, size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    size_t end = maxBytes;
    // Back off over the continuation bytes of the character that would be split (at most three).
    for (int k = 0; k < 3 && end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80; ++k)
        --end;
    return s.substr(0, end);
}

}  // namespace velmora::text
