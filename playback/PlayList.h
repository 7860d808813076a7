#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The ordered list of media paths the player walks with Next and Previous, filled from an M3U
// file or from a multiple selection. The frame keeps its own playlist length beside it: -1 while
// no playlist is active, else the LoadM3u result or the number of selected paths.
class CPlayList {
  public:
    // Playlist files larger than this are read only up to their last line break within it.
    static constexpr size_t kMaxFileBytes = size_t(8) << 20;

    // Index -1, no entries.
    void Clear();
    // Index 0 and entry 0. An empty list gives "" and keeps index -1.
    std::string First();
    // Index + 1, wrapping to 0 after the last entry. An empty list gives "" and keeps index -1.
    std::string Next();
    // Index - 1, wrapping to the last entry before the first. An empty list gives "".
    std::string Previous();
    int Index() const { return m_index; }
    int Count() const { return int(m_entries.size()); }
    const std::vector<std::string>& Entries() const { return m_entries; }
    // True when Next would wrap (or there is nothing to play): the end of a medium then stops.
    bool IsAtLast() const { return m_index >= Count() - 1; }

    void Append(std::string path);
    // Replaces the list with the paths in ascending byte order (equal paths keep their order).
    void AssignSorted(std::vector<std::string> paths);

    // Appends the entries of an M3U file and returns the entry count, or -1 when the file cannot
    // be read (missing, not a regular file, read error).
    int LoadM3u(const std::string& path);
    // The same from the file's bytes.
    int LoadM3uBytes(std::string_view bytes);

  private:
    std::string Current() const;

    int m_index = -1;
    std::vector<std::string> m_entries;
};

namespace velmora::playback {

bool IsValidUtf8(std::string_view bytes);

// Text of a file written by any tool: a UTF-8 byte order mark is skipped; valid UTF-8 is kept;
// anything else is read as CP949 (the Korean code page), with U+FFFD for undecodable bytes.
std::string DecodeText(std::string_view bytes);

// The entries of playlist text: lines split at line feeds and trimmed; reading stops at the first
// blank line; lines starting with "#" are comments; entries are kept as written.
std::vector<std::string> ParseM3uEntries(std::string_view text);

}  // namespace velmora::playback
