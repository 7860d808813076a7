#include "playback/PlayList.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace velmora::playback {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Converts CP949 to UTF-8. Bytes that do not decode become U+FFFD, one per byte, and decoding
// goes on after them.
std::string Cp949ToUtf8(std::string_view bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP949");
    if (cd == iconv_t(-1)) {
        // Without the converter, keep ASCII and mark everything else.
        std::string out;
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80) {
                out += c;
            } else {
                out += kReplacement;
            }
        }
        return out;
    }
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 16);
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, size_t(outPtr - buffer));
        if (rc != size_t(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or an incomplete sequence at the end: mark one byte and go on.
        out += kReplacement;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

std::string_view Trim(std::string_view s) {
    constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
    const size_t first = s.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kWhiteSpace) - first + 1);
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t length;
        unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;   // no overlong forms
            if (c == 0xED) high = 0x9F;  // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;  // nothing past U+10FFFF
        } else {
            return false;
        }
        if (n - i < length) return false;
        const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < low || second > high) return false;
        for (size_t k = 2; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

std::string DecodeText(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Cp949ToUtf8(bytes);
}

std::vector<std::string> ParseM3uEntries(std::string_view text) {
    std::vector<std::string> entries;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        const std::string_view piece = Trim(text.substr(0, eol));
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (piece.empty()) break;
        if (piece.starts_with('#')) continue;
        entries.emplace_back(piece);
    }
    return entries;
}

}  // namespace velmora::playback

void CPlayList::Clear() {
    m_index = -1;
    m_entries.clear();
}

std::string CPlayList::Current() const {
    return m_index >= 0 && m_index < Count() ? m_entries[size_t(m_index)] : std::string();
}

std::string CPlayList::First() {
    if (m_entries.empty()) return {};
    m_index = 0;
    return Current();
}

std::string CPlayList::Next() {
    if (m_entries.empty()) return {};
    ++m_index;
    if (m_index >= Count() || m_index < 0) m_index = 0;
    return Current();
}

std::string CPlayList::Previous() {
    if (m_entries.empty()) return {};
    --m_index;
    if (m_index < 0 || m_index >= Count()) m_index = Count() - 1;
    return Current();
}

void CPlayList::Append(std::string path) {
    m_entries.push_back(std::move(path));
}

void CPlayList::AssignSorted(std::vector<std::string> paths) {
    Clear();
    // std::string compares bytes as unsigned values, like the C library's byte comparison.
    std::stable_sort(paths.begin(), paths.end());
    m_entries = std::move(paths);
}

int CPlayList::LoadM3uBytes(std::string_view bytes) {
    if (bytes.size() > kMaxFileBytes) {
        // Keep whole lines only, so a cut line never becomes an entry.
        bytes = bytes.substr(0, kMaxFileBytes);
        const size_t lastBreak = bytes.rfind('\n');
        bytes = bytes.substr(0, lastBreak == std::string_view::npos ? 0 : lastBreak + 1);
    }
    for (std::string& entry :
         velmora::playback::ParseM3uEntries(velmora::playback::DecodeText(bytes))) {
        m_entries.push_back(std::move(entry));
    }
    return Count();
}

int CPlayList::LoadM3u(const std::string& path) {
    // Only regular files: a FIFO or a device could block or never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), ec) || ec) return -1;
    std::ifstream in(path, std::ios::binary);
    if (!in) return -1;
    // One byte past the bound tells LoadM3uBytes that the file goes on.
    std::string bytes;
    char chunk[65536];
    while (bytes.size() <= kMaxFileBytes) {
        const size_t want = std::min(sizeof chunk, kMaxFileBytes + 1 - bytes.size());
        in.read(chunk, std::streamsize(want));
        bytes.append(chunk, size_t(in.gcount()));
        if (in.bad()) return -1;
        if (!in) break;
    }
    return LoadM3uBytes(bytes);
}
