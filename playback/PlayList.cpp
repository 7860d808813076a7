#include "playback/PlayList.h"

#include "captions/CaptionSource.h"
#include "captions/TextDecoder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace velmora::playback {
namespace {

std::string_view Trim(std::string_view s) {
    constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
    const size_t first = s.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kWhiteSpace) - first + 1);
}

// Schemes of the network addresses a playlist may name: the streaming and download protocols a
// media player plays from. Anything else (the back end's own devices, filters and pseudo protocols)
// is not a medium a playlist file may hand over.
constexpr std::string_view kNetworkSchemes[] = {"http",  "https", "mms",   "mmsh", "mmst", "rtsp",
                                                "rtsps", "rtmp",  "rtmps", "rtp",  "udp",  "ftp"};

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

// The scheme of an address written as scheme "://" rest, in lower case; empty for anything else.
std::string SchemeOf(std::string_view entry) {
    const size_t sep = entry.find("://");
    if (sep == std::string_view::npos || sep == 0 || !IsAsciiAlpha(entry[0])) return {};
    for (char c : entry.substr(0, sep)) {
        if (!IsAsciiAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return {};
    }
    return AsciiLower(entry.substr(0, sep));
}

}  // namespace

bool IsStreamAddress(std::string_view text) {
    const std::string scheme = SchemeOf(text);
    return std::find(std::begin(kNetworkSchemes), std::end(kNetworkSchemes), scheme) !=
           std::end(kNetworkSchemes);
}

std::string ResolveM3uEntry(std::string_view entry, std::string_view folder) {
    if (entry.find('\0') != std::string_view::npos) return {};
    // A file URL of this host is a local path; one of another host is nothing this player opens.
    if (AsciiLower(entry.substr(0, 5)) == "file:") {
        // Escapes may decode to anything: a path with a line break or another control character
        // is no file a line of a playlist names.
        std::string path = velmora::captions::FileUrlToPath(entry).value_or(std::string());
        const bool control = std::any_of(path.begin(), path.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        });
        return control || !velmora::text::IsValidUtf8(path) ? std::string() : path;
    }
    if (!SchemeOf(entry).empty())
        return IsStreamAddress(entry) ? std::string(entry) : std::string();
    std::filesystem::path path(entry);
    if (path.is_relative()) path = std::filesystem::path(folder) / path;
    return path.lexically_normal().string();
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

int CPlayList::LoadM3uBytes(std::string_view bytes, std::string_view folder) {
    if (bytes.size() > kMaxFileBytes) {
        // Keep whole lines only, so a cut line never becomes an entry.
        bytes = bytes.substr(0, kMaxFileBytes);
        const size_t lastBreak = bytes.rfind('\n');
        bytes = bytes.substr(0, lastBreak == std::string_view::npos ? 0 : lastBreak + 1);
    }
    const std::string text = velmora::text::DecodeToUtf8(bytes);
    for (const std::string& entry : velmora::playback::ParseM3uEntries(text)) {
        std::string resolved = velmora::playback::ResolveM3uEntry(entry, folder);
        if (!resolved.empty()) m_entries.push_back(std::move(resolved));
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
    // Relative entries name files beside the playlist, wherever the player was started from.
    const std::filesystem::path folder =
        std::filesystem::absolute(std::filesystem::path(path), ec).parent_path();
    return LoadM3uBytes(bytes, folder.string());
}
