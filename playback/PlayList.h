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
    // be read (missing, not a regular file, read error). Relative entries are taken from the
    // playlist's own folder; entries the player must not open are skipped (ResolveM3uEntry).
    int LoadM3u(const std::string& path);
    // The same from the file's bytes, with relative entries taken from folder.
    int LoadM3uBytes(std::string_view bytes, std::string_view folder);

  private:
    std::string Current() const;

    int m_index = -1;
    std::vector<std::string> m_entries;
};

namespace velmora::playback {

// The entries of playlist text: lines split at line feeds and trimmed; reading stops at the first
// blank line; lines starting with "#" are comments; entries are kept as written.
std::vector<std::string> ParseM3uEntries(std::string_view text);

// True when text is a network address of a streaming or download scheme the player plays from:
// "scheme://..." with scheme (any case) one of http, https, mms, mmsh, mmst, rtsp, rtsps, rtmp,
// rtmps, rtp, udp, ftp.
bool IsStreamAddress(std::string_view text);

// What a playlist entry names, ready to open: a local path (relative entries joined to folder, the
// result normalised; "file://" URLs of this host decoded to their path) or a network address
// IsStreamAddress accepts, kept as written. Empty for anything else: other schemes, file URLs of
// other hosts, and text holding a zero byte.
std::string ResolveM3uEntry(std::string_view entry, std::string_view folder);

}  // namespace velmora::playback
