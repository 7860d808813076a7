#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Decisions of opening a medium by path: which caption file goes with it, whether the path is a
// network address, which folder is remembered, and what a dropped file is. Paths are UTF-8 with
// "/" separators. The file system is reached only through the FileExists callback, so the rules
// run without a disk; the Qt edge plugs in QFileInfo::exists.
namespace velmora::captions {

using FileExists = std::function<bool(const std::string&)>;

// True for "mms:" and "http:" addresses (exact, lower case). They are opened as they are and keep
// the caption file that was set before.
bool IsNetworkAddress(std::string_view path);

// Index of the last path separator, or npos. "/" always counts; "\" only when asked for, for
// paths written elsewhere (on this system "\" is an ordinary file name byte).
size_t LastSeparator(std::string_view path, bool acceptBackslash = false);

// The folder of a path: everything before its last separator, or nothing when it has none.
std::optional<std::string> FolderOf(std::string_view path);

// The caption file name that goes with a medium: the path with its extension replaced by ".smi"
// (or ".smi" appended when the file name has no extension). Nothing for a path without any ".",
// which is not opened at all.
std::optional<std::string> CaptionCandidate(std::string_view mediaPath);

// The caption file for a medium: the candidate beside it if it exists, else the candidate's file
// name inside the default caption folder (only when that folder has 2 or more characters) if it
// exists there, else "" (no captions).
std::string FindCaptionFile(std::string_view mediaPath, std::string_view defaultFolder,
                            const FileExists& exists);

// What opening one path does.
struct OpenMediaPlan {
    enum class Action {
        Nothing,      // a path without any ".": nothing is opened
        OpenAddress,  // hand `target` to the back end as an address (network or unlisted path)
        LoadFile,     // a local file: load `target`
    };
    Action action = Action::Nothing;
    std::string target;
    bool setCaption = false;                // false: keep the caption file that was set before
    std::string captionFile;                // when setCaption: the file to use, "" for no captions
    std::optional<std::string> lastFolder;  // when set: store as the last media folder
};

OpenMediaPlan PlanOpenMedia(std::string_view path, std::string_view defaultFolder,
                            const FileExists& exists);

// ".smi" or ".sami" at the end, case-insensitively.
bool IsCaptionFileName(std::string_view path);
// ".m3u" at the end, case-insensitively (".m3u8" is not a playlist here).
bool IsPlaylistFileName(std::string_view path);

enum class DropKind { Caption, Playlist, Media };
DropKind ClassifyDroppedFile(std::string_view path);

// A local path from a file URL ("file:///a/b%20c" or "file://localhost/a"), percent-decoded.
// Nothing for other hosts, malformed escapes that decode to a NUL byte, or non-file URLs.
std::optional<std::string> FileUrlToPath(std::string_view url);

// What a symbolic link opens: its target, unless only the link's own file name has an extension
// (a store that names its files without one), so that the link's name decides the kind of file
// and the caption file looked up for it. Both names count, neither alone.
std::string SymlinkPathToOpen(std::string_view linkPath, std::string_view targetPath);

// The target of a freedesktop link entry (a desktop file with Type=Link in its [Desktop Entry]
// group), given the file's text: the URL= value, unescaped; file URLs become local paths, other
// URLs are returned as written. Nothing when the text is not a link entry or has no usable URL.
std::optional<std::string> ParseDesktopLinkTarget(std::string_view desktopFileText);

}  // namespace velmora::captions
