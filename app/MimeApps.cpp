#include "app/MimeApps.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

namespace mimeapps {
namespace {

constexpr std::string_view kDefaultGroup = "Default Applications";

struct Line {
    std::string body;  // without its line end
    std::string end;   // "\n", "\r\n" or "" for a last line without one
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        if (nl == std::string_view::npos) {
            lines.push_back({std::string(text), ""});
            break;
        }
        const bool cr = nl > 0 && text[nl - 1] == '\r';
        lines.push_back({std::string(text.substr(0, cr ? nl - 1 : nl)), cr ? "\r\n" : "\n"});
        text.remove_prefix(nl + 1);
    }
    return lines;
}

std::string Join(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& l : lines) out += l.body + l.end;
    return out;
}

// The line end new lines get: the file's first one, LF in a file without any.
std::string LineEnd(const std::vector<Line>& lines) {
    for (const Line& l : lines)
        if (!l.end.empty()) return l.end;
    return "\n";
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The group a header line opens, or nothing for another line.
std::optional<std::string_view> GroupOf(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return line.substr(1, line.size() - 2);
}

// An entry line split where its value begins; ids are the value split at ";" (empty parts kept
// out), and whether the value ended in ";" is kept so an unchanged list is written back unchanged.
struct Entry {
    std::string head;  // key, "=" and the blanks after it
    std::vector<std::string> ids;
    bool closing = true;
};

std::optional<Entry> EntryOf(std::string_view line, std::string_view mime) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || Trim(line.substr(0, eq)) != mime) return std::nullopt;
    size_t start = eq + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    Entry e{std::string(line.substr(0, start)), {}, false};
    std::string_view value = line.substr(start);
    e.closing = !value.empty() && value.back() == ';';
    while (!value.empty()) {
        const size_t semi = value.find(';');
        const std::string_view id = Trim(value.substr(0, semi));
        if (!id.empty()) e.ids.emplace_back(id);
        if (semi == std::string_view::npos) break;
        value.remove_prefix(semi + 1);
    }
    return e;
}

std::string Body(const Entry& e) {
    std::string value;
    for (size_t i = 0; i < e.ids.size(); ++i) value += (i ? ";" : "") + e.ids[i];
    return e.head + value + (e.closing ? ";" : "");
}

// Calls edit on every entry for the MIME type in a "[Default Applications]" group, in order;
// edit returns false to have the line removed. Returns the index of the first such group's
// header, or -1.
int ForEachEntry(std::vector<Line>& lines, std::string_view mime,
                 const std::function<bool(Entry&)>& edit) {
    bool inDefaults = false;
    int firstGroup = -1;
    for (size_t i = 0; i < lines.size();) {
        if (const auto group = GroupOf(lines[i].body)) {
            inDefaults = *group == kDefaultGroup;
            if (inDefaults && firstGroup < 0) firstGroup = int(i);
        } else if (inDefaults) {
            if (auto entry = EntryOf(lines[i].body, mime)) {
                if (!edit(*entry)) {
                    lines.erase(lines.begin() + long(i));
                    continue;
                }
                lines[i].body = Body(*entry);
            }
        }
        ++i;
    }
    return firstGroup;
}

void MoveToFront(std::vector<std::string>& ids, std::string_view id) {
    std::erase(ids, std::string(id));
    ids.insert(ids.begin(), std::string(id));
}

}  // namespace

std::string DefaultFor(std::string_view text, std::string_view mime) {
    std::string owner;
    bool found = false;
    std::vector<Line> lines = SplitLines(text);
    ForEachEntry(lines, mime, [&](Entry& e) {
        if (!found) owner = e.ids.empty() ? std::string() : e.ids.front();
        found = true;
        return true;
    });
    return owner;
}

std::string SetFirst(std::string_view text, std::string_view mime, std::string_view id) {
    std::vector<Line> lines = SplitLines(text);
    bool found = false;
    const int group = ForEachEntry(lines, mime, [&](Entry& e) {
        found = true;
        MoveToFront(e.ids, id);
        return true;
    });
    if (found) return Join(lines);
    const std::string end = LineEnd(lines);
    const Line entry{std::string(mime) + "=" + std::string(id) + ";", end};
    if (group >= 0) {
        if (lines[size_t(group)].end.empty()) lines[size_t(group)].end = end;
        lines.insert(lines.begin() + group + 1, entry);
    } else {
        if (!lines.empty() && lines.back().end.empty()) lines.back().end = end;
        if (!lines.empty() && !Trim(lines.back().body).empty()) lines.push_back({"", end});
        lines.push_back({"[" + std::string(kDefaultGroup) + "]", end});
        lines.push_back(entry);
    }
    return Join(lines);
}

std::string Restore(std::string_view text, std::string_view mime, std::string_view id,
                    std::string_view previous) {
    std::vector<Line> lines = SplitLines(text);
    bool first = true;
    ForEachEntry(lines, mime, [&](Entry& e) {
        // The backed-up owner is the first entry's: a later copy of the key gets its own list
        // back as it was before associating, not the first one's owner.
        const bool owner = std::exchange(first, false);
        if (e.ids.empty() || e.ids.front() != id) return true;
        e.ids.erase(e.ids.begin());
        // An owner already back in front stays where it is, other copies of it with it.
        if (owner && !previous.empty() && (e.ids.empty() || e.ids.front() != previous))
            MoveToFront(e.ids, previous);
        return !e.ids.empty();
    });
    return Join(lines);
}

std::string ExecArgument(std::string_view program) {
    // A path with a reserved character goes in double quotes, inside which the Desktop Entry rules
    // escape ", `, $ and \ with a backslash; a plain path stays bare, as simple readers (the
    // generic xdg-mime) expect it. The key file's string escapes then double every backslash and
    // spell control characters.
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    if (program.find_first_of(kReserved) == std::string_view::npos) {
        quoted = program;
    } else {
        quoted = "\"";
        for (const char c : program) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    }
    std::string out;
    for (const char c : quoted) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '%':
                out += "%%";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string DesktopEntry(std::string_view program, std::string_view name, std::string_view comment,
                         const std::vector<std::string>& mimeTypes) {
    std::string types;
    for (const std::string& t : mimeTypes) types += t + ";";
    // GLib refuses an entry whose first Exec word names no program before it turns "%%" into "%",
    // so a path with "%" does not go first: a shell runs it, the path given as its "$0".
    const std::string command =
        program.find('%') == std::string_view::npos
            ? ExecArgument(program)
            : "/bin/sh -c " + ExecArgument(R"(exec "$0" "$@")") + " " + ExecArgument(program);
    return "[Desktop Entry]\nType=Application\nName=" + std::string(name) +
           "\nComment=" + std::string(comment) + "\nExec=" + command +
           " %U\nIcon=velmora\nTerminal=false\nNoDisplay=true\nMimeType=" + types + "\n";
}

}  // namespace mimeapps
