#include "app/IniText.h"

#include <charconv>
#include <cstdint>

#include "captions/TextDecoder.h"

namespace ini {
namespace {

using velmora::text::IsValidUtf8;

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// Undoes Escape(); false when the text holds an escape this writer never produces.
bool Unescape(std::string_view s, std::string* out) {
    out->clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out->push_back(s[i]);
            continue;
        }
        if (++i == s.size()) return false;
        switch (s[i]) {
            case '\\':
                out->push_back('\\');
                break;
            case 'n':
                out->push_back('\n');
                break;
            case 'r':
                out->push_back('\r');
                break;
            case 't':
                out->push_back('\t');
                break;
            case 's':
                out->push_back(' ');
                break;
            case '=':
                out->push_back('=');
                break;
            case '[':
                out->push_back('[');
                break;
            case ';':
                out->push_back(';');
                break;
            case '#':
                out->push_back('#');
                break;
            default:
                return false;
        }
    }
    return true;
}

// Escapes what would change the meaning of a line: backslashes, line breaks, tabs, "=" in keys,
// and blanks or comment characters at the ends, which Parse would otherwise trim or skip.
std::string Escape(std::string_view s, bool isKey) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        const bool atEdge = i == 0 || i + 1 == s.size();
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case ' ':
                out += atEdge ? "\\s" : " ";
                break;
            case '=':
                out += isKey ? "\\=" : "=";
                break;
            case '[':
                out += (isKey && i == 0) ? "\\[" : "[";
                break;
            case ';':
                out += (isKey && i == 0) ? "\\;" : ";";
                break;
            case '#':
                out += (isKey && i == 0) ? "\\#" : "#";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

// Finds the first "=" that is not escaped.
size_t FindSeparator(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\') {
            ++i;
        } else if (line[i] == '=') {
            return i;
        }
    }
    return std::string_view::npos;
}

}  // namespace

ParseResult Parse(std::string_view text) {
    ParseResult result;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (text.find('\0') != std::string_view::npos || !IsValidUtf8(text)) result.damaged = true;

    std::string section;
    bool sectionUnreadable = false;  // entries below an unreadable header are dropped
    std::string key, value;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            sectionUnreadable = line.back() != ']' || line.size() < 2 ||
                                !Unescape(line.substr(1, line.size() - 2), &section) ||
                                section.find('\0') != std::string::npos || !IsValidUtf8(section);
            result.damaged |= sectionUnreadable;
            continue;
        }
        const size_t eq = FindSeparator(line);
        if (eq == std::string_view::npos || sectionUnreadable ||
            !Unescape(Trim(line.substr(0, eq)), &key) || key.empty() ||
            !Unescape(Trim(line.substr(eq + 1)), &value) || !IsValidUtf8(key) ||
            !IsValidUtf8(value) || key.find('\0') != std::string::npos ||
            value.find('\0') != std::string::npos) {
            result.damaged = true;
            continue;
        }
        result.sections[section][key] = value;
    }
    return result;
}

std::string Write(const Sections& sections) {
    std::string out;
    bool first = true;
    for (const auto& [name, keys] : sections) {  // std::map puts the unnamed section first
        if (keys.empty()) continue;
        if (!name.empty()) {
            if (!first) out += '\n';
            out += '[' + Escape(name, true) + "]\n";
        }
        first = false;
        for (const auto& [key, value] : keys) {
            out += Escape(key, true) + '=' + Escape(value, false) + '\n';
        }
    }
    return out;
}

bool ToInt(std::string_view text, int* value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    *value = v;
    return true;
}

}  // namespace ini
