#include "captions/CaptionSource.h"

#include <algorithm>
#include <cctype>

namespace velmora::captions {
namespace {

constexpr std::string_view kCaptionExtension = ".smi";

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    if (text.size() < suffix.size()) return false;
    const std::string_view tail = text.substr(text.size() - suffix.size());
    return std::equal(tail.begin(), tail.end(), suffix.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && EndsWithNoCase(a, b);
}

// Characters, not bytes: the continuation bytes of UTF-8 sequences are not counted.
size_t CountCharacters(std::string_view text) {
    return size_t(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool HasUrlScheme(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    if (!std::isalpha(static_cast<unsigned char>(text[0]))) return false;
    return std::all_of(text.begin(), text.begin() + long(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

std::string_view TrimBlanks(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Undoes the escapes of desktop entry string values: \s \n \t \r \\.
std::string UnescapeDesktopValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += value[i];
        }
    }
    return out;
}

}  // namespace

bool IsNetworkAddress(std::string_view path) {
    return path.starts_with("mms:") || path.starts_with("http:");
}

size_t LastSeparator(std::string_view path, bool acceptBackslash) {
    return path.find_last_of(acceptBackslash ? std::string_view("/\\") : std::string_view("/"));
}

std::optional<std::string> FolderOf(std::string_view path) {
    const size_t sep = LastSeparator(path);
    if (sep == std::string_view::npos) return std::nullopt;
    return std::string(path.substr(0, sep));
}

std::optional<std::string> CaptionCandidate(std::string_view mediaPath) {
    if (mediaPath.find('.') == std::string_view::npos) return std::nullopt;
    const size_t sep = LastSeparator(mediaPath);
    const size_t nameStart = sep == std::string_view::npos ? 0 : sep + 1;
    const size_t dot = mediaPath.rfind('.');
    // Only a dot inside the file name starts an extension: a dotted folder ("v1.2/movie") or a
    // hidden file's leading dot (".movie") does not.
    const size_t stemEnd =
        (dot != std::string_view::npos && dot > nameStart) ? dot : mediaPath.size();
    std::string candidate(mediaPath.substr(0, stemEnd));
    candidate += kCaptionExtension;
    return candidate;
}

std::string FindCaptionFile(std::string_view mediaPath, std::string_view defaultFolder,
                            const FileExists& exists) {
    const std::optional<std::string> candidate = CaptionCandidate(mediaPath);
    if (!candidate) return {};
    if (exists(*candidate)) return *candidate;

    if (CountCharacters(defaultFolder) < 2) return {};
    // A bare file name (as a playlist entry may give) is looked up in the folder as well.
    const size_t sep = LastSeparator(*candidate);
    const std::string_view name =
        std::string_view(*candidate).substr(sep == std::string::npos ? 0 : sep + 1);
    std::string inFolder(defaultFolder);
    if (!inFolder.ends_with('/')) inFolder += '/';
    inFolder += name;
    return exists(inFolder) ? inFolder : std::string();
}

OpenMediaPlan PlanOpenMedia(std::string_view path, std::string_view defaultFolder,
                            const FileExists& exists) {
    OpenMediaPlan plan;
    if (IsNetworkAddress(path)) {
        plan.action = OpenMediaPlan::Action::OpenAddress;
        plan.target = path;
        return plan;
    }
    if (path.find('.') == std::string_view::npos) return plan;

    plan.setCaption = true;
    plan.captionFile = FindCaptionFile(path, defaultFolder, exists);
    plan.target = path;
    if (exists(plan.target)) {
        plan.action = OpenMediaPlan::Action::LoadFile;
        // Only a medium that is really on disk becomes the starting folder of the open dialog.
        plan.lastFolder = FolderOf(path);
    } else {
        plan.action = OpenMediaPlan::Action::OpenAddress;
    }
    return plan;
}

std::string SymlinkPathToOpen(std::string_view linkPath, std::string_view targetPath) {
    const auto nameHasDot = [](std::string_view path) {
        const size_t slash = LastSeparator(path);
        return path.substr(slash == std::string_view::npos ? 0 : slash + 1).find('.') !=
               std::string_view::npos;
    };
    if (!nameHasDot(targetPath) && nameHasDot(linkPath)) return std::string(linkPath);
    return std::string(targetPath);
}

bool IsCaptionFileName(std::string_view path) {
    return EndsWithNoCase(path, ".smi") || EndsWithNoCase(path, ".sami");
}

bool IsPlaylistFileName(std::string_view path) {
    return EndsWithNoCase(path, ".m3u");
}

DropKind ClassifyDroppedFile(std::string_view path) {
    if (IsCaptionFileName(path)) return DropKind::Caption;
    if (IsPlaylistFileName(path)) return DropKind::Playlist;
    return DropKind::Media;
}

std::optional<std::string> FileUrlToPath(std::string_view url) {
    if (!EqualsNoCase(url.substr(0, 5), "file:")) return std::nullopt;
    std::string_view rest = url.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !EqualsNoCase(host, "localhost")) return std::nullopt;
        rest.remove_prefix(slash);
    }
    if (!rest.starts_with('/')) return std::nullopt;
    rest = rest.substr(0, rest.find_first_of("?#"));

    std::string path;
    path.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
            HexValue(rest[i + 2]) >= 0) {
            const char decoded = char(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
            if (decoded == '\0') return std::nullopt;
            path += decoded;
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

std::optional<std::string> ParseDesktopLinkTarget(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    bool inMainGroup = false;
    bool isLink = false;
    std::optional<std::string> url;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        line = TrimBlanks(line);
        if (line.empty() || line.starts_with('#')) continue;
        if (line.starts_with('[')) {
            // Keys are read from the [Desktop Entry] group only; a later group ends it.
            if (inMainGroup) break;
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = TrimBlanks(line.substr(0, eq));
        const std::string_view value = TrimBlanks(line.substr(eq + 1));
        if (key == "Type") isLink = value == "Link";
        if (key == "URL" && !url) url = UnescapeDesktopValue(value);
    }
    if (!isLink || !url || url->empty()) return std::nullopt;
    if (EqualsNoCase(std::string_view(*url).substr(0, 5), "file:")) return FileUrlToPath(*url);
    if (HasUrlScheme(*url) || url->starts_with('/')) return url;
    return std::nullopt;
}

}  // namespace velmora::captions
