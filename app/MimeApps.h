#pragma once
// The freedesktop association store as text: reading and editing the "[Default Applications]"
// entries of a mimeapps.list, and writing the player's desktop entry. Editing works line by line:
// every line the edit is not about stays byte for byte as it was (comments, other groups, unknown
// keys, lines that cannot be read, each line's own CR LF or LF, a missing final line end).

#include <string>
#include <string_view>
#include <vector>

namespace mimeapps {

// The first desktop id of the first "[Default Applications]" entry for the MIME type; empty when
// there is none.
std::string DefaultFor(std::string_view text, std::string_view mime);

// Puts id first in every "[Default Applications]" entry for the MIME type (the other ids keep
// their order, another copy of id goes). Without such an entry, one is added at the start of the
// first "[Default Applications]" group, or in a new group at the end.
std::string SetFirst(std::string_view text, std::string_view mime, std::string_view id);

// Takes id out of every "[Default Applications]" entry for the MIME type that it leads and puts
// previous first in the first such entry (when previous is not empty; previous is that entry's
// owner before SetFirst); an entry left without ids is removed.
// Entries that id does not lead stay as they are.
std::string Restore(std::string_view text, std::string_view mime, std::string_view id,
                    std::string_view previous);

// The program path as one argument of a desktop entry's Exec key: quoted by the Desktop Entry
// rules when it holds a reserved character (blank, quote, "$" ...), then escaped as a key file
// string (so "\" is written "\\\\" and "%" is written "%%").
std::string ExecArgument(std::string_view program);

// A desktop entry that opens files and addresses with program ("%U"), hidden from menus. A program
// path with "%" is run through /bin/sh, since GLib checks the first Exec word before expanding.
std::string DesktopEntry(std::string_view program, std::string_view name, std::string_view comment,
                         const std::vector<std::string>& mimeTypes);

}  // namespace mimeapps
