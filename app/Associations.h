#pragma once
// File associations on the freedesktop store. The player's desktop entry is its file type: an
// extension belongs to the player when the player's entry is the first "[Default Applications]"
// entry of the extension's MIME type in the user's mimeapps.list, and "mms" is the
// x-scheme-handler/mms entry. What the player replaced is kept in a file of its own (an INI file):
//
//   [video/x-msvideo]     Tesvo.Bak=<the owner before the player>
//   [x-scheme-handler/mms] Tesvo.Bak=...
//   [.avi]                Application=... Tesvo.Bak=...   (the per-user open-with choice)
//
// Associating twice keeps the first backup; restoring gives the backed-up owner back. Every file
// is written atomically (a temporary file in the same folder, then a rename). A mimeapps.list that
// is a symbolic link is written through to the file it names; one that cannot be written (read
// only, or a link to nothing) makes the operation fail with every file left as it was.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace assoc {

struct Item {
    const char* name;  // ".avi" ... or "mms"
    const char* mime;
};

// The association dialog's items, in its order: ten extensions, then the "mms" protocol.
// Several extensions share a MIME type (.avi and .divx, .mpg .mpeg and .dat, .asx and .wvx).
inline constexpr std::array<Item, 11> kItems{{{".avi", "video/x-msvideo"},
                                              {".asf", "application/vnd.ms-asf"},
                                              {".mpg", "video/mpeg"},
                                              {".mpeg", "video/mpeg"},
                                              {".dat", "video/mpeg"},
                                              {".divx", "video/x-msvideo"},
                                              {".asx", "audio/x-ms-asx"},
                                              {".wmv", "video/x-ms-wmv"},
                                              {".wvx", "audio/x-ms-asx"},
                                              {".wmp", "video/x-ms-wmp"},
                                              {"mms", "x-scheme-handler/mms"}}};
inline constexpr size_t kMmsIndex = 10;

// The MIME type of an extension (case-insensitive) or "mms"; empty for anything else.
std::string MimeOf(std::string_view item);
// Every distinct MIME type of the items, for the desktop entry.
std::vector<std::string> AllMimeTypes();

// What one dialog's boxes ask for: per item true = associate, false = restore. An item whose MIME
// type another checked item shares is associated, not restored: one type has one owner.
std::array<bool, 11> AssociateWanted(const std::array<bool, 11>& checked);

struct Paths {
    std::string mimeapps;      // $XDG_CONFIG_HOME/mimeapps.list
    std::string backups;       // the player's own file of named values
    std::string desktopEntry;  // $XDG_DATA_HOME/applications/<DesktopId()>
};

// The desktop entry's file name: the player's file type.
inline constexpr std::string_view kDesktopId = "velmora-file.desktop";
inline constexpr std::string_view kFileTypeComment = "Velmora Files";

// Reads a whole file; false when it exists and cannot be read or is no regular file (a folder, a
// pipe). A missing file reads as empty.
bool ReadFile(const std::string& path, std::string* text);
// Replaces the file with text through a temporary file in the same folder and a rename. A symbolic
// link is written through to its target. Fails, leaving everything as it was, when the file (or the
// link's target) exists and is not writable, or when the link names nothing. Creates the folder.
bool WriteFileAtomically(const std::string& path, std::string_view text);

// The five operations and two queries. Each reads the files afresh and writes what it changed;
// false when a file could not be read or written (nothing is changed then).
class CAssociations {
  public:
    explicit CAssociations(Paths paths) : paths_(std::move(paths)) {}

    bool IsAssociated(std::string_view item) const;
    // Writes the player's desktop entry, opening files and addresses with program.
    bool RegisterFileType(std::string_view program) const;
    bool Associate(std::string_view item) const;
    bool Restore(std::string_view item) const;

  private:
    Paths paths_;
};

}  // namespace assoc
