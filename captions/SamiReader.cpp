#include "captions/SamiReader.h"

#include "captions/CaptionParser.h"
#include "captions/TextDecoder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace sami {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool IsAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// Finds "<name" at or after from in the lower-case text, followed by a byte that ends a tag name.
size_t FindTag(const std::string& lower, std::string_view name, size_t from, size_t end) {
    const std::string_view range = std::string_view(lower).substr(0, end);
    while (from < end) {
        const size_t p = range.find(name, from);
        if (p == std::string_view::npos) return std::string::npos;
        const size_t after = p + name.size();
        if (after >= lower.size() || !IsAlnum(lower[after])) return p;
        from = after;
    }
    return std::string::npos;
}

// End of the tag opened at p: just after its '>', or at a '<' that opens the next tag (a tag with
// its '>' missing), or at end.
size_t TagEnd(const std::string& text, size_t p, size_t end, size_t* attrEnd) {
    for (size_t i = p + 1; i < end; ++i) {
        if (text[i] == '>') {
            *attrEnd = i;
            return i + 1;
        }
        if (text[i] == '<') {
            *attrEnd = i;
            return i;
        }
    }
    *attrEnd = end;
    return end;
}

// The value of attribute name (lower case) in the lower-case attribute text, or npos.
size_t FindAttributeValue(std::string_view attrs, std::string_view name) {
    size_t from = 0;
    while (true) {
        const size_t p = attrs.find(name, from);
        if (p == std::string_view::npos) return p;
        from = p + name.size();
        if (p > 0 && (IsAlnum(attrs[p - 1]) || attrs[p - 1] == '-')) continue;
        size_t i = from;
        while (i < attrs.size() && IsSpace(attrs[i])) ++i;
        if (i >= attrs.size() || attrs[i] != '=') continue;
        ++i;
        while (i < attrs.size() && (IsSpace(attrs[i]) || attrs[i] == '"' || attrs[i] == '\'')) ++i;
        return i;
    }
}

struct ClassDecl {
    std::string name;
    bool korean = false;
};

bool LooksKoreanName(std::string_view name) {
    const std::string lower = LowerAscii(name);
    return StartsWith(lower, "kr") || StartsWith(lower, "ko");
}

// Class rules of the STYLE element: ".NAME { ... lang: ko-KR; ... }".
std::vector<ClassDecl> ReadClassDecls(std::string_view style) {
    std::vector<ClassDecl> out;
    size_t i = 0;
    while (i < style.size()) {
        const char c = style[i];
        if (c == '{') {
            const size_t close = style.find('}', i);
            i = close == std::string_view::npos ? style.size() : close + 1;
            continue;
        }
        if (c != '.' || i + 1 >= style.size() || !(IsAlnum(style[i + 1]) || style[i + 1] == '_') ||
            IsDigit(style[i + 1])) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < style.size() && (IsAlnum(style[j]) || style[j] == '_' || style[j] == '-')) ++j;
        const std::string_view name = style.substr(i + 1, j - i - 1);
        size_t k = j;
        while (k < style.size() && IsSpace(style[k])) ++k;
        if (k >= style.size() || style[k] != '{') {
            i = j;
            continue;
        }
        size_t close = style.find('}', k);
        if (close == std::string_view::npos) close = style.size();
        const std::string body = LowerAscii(style.substr(k + 1, close - k - 1));
        ClassDecl decl{std::string(name), false};
        size_t lang = body.find("lang");
        bool hasLang = false;
        while (lang != std::string::npos) {
            size_t v = lang + 4;
            while (v < body.size() && IsSpace(body[v])) ++v;
            if ((lang == 0 || !IsAlnum(body[lang - 1])) && v < body.size() && body[v] == ':') {
                ++v;
                while (v < body.size() && (IsSpace(body[v]) || body[v] == '"')) ++v;
                hasLang = true;
                decl.korean = body.compare(v, 2, "ko") == 0;
                break;
            }
            lang = body.find("lang", lang + 4);
        }
        if (!hasLang) decl.korean = LooksKoreanName(name);
        out.push_back(std::move(decl));
        i = close;
    }
    return out;
}

struct Paragraph {
    std::string cls;
    std::string markup;
};

struct Block {
    int64_t start = 0;
    std::vector<Paragraph> paragraphs;
};

// Named character references that are plain characters (none of them can form a tag).
struct NamedEntity {
    std::string_view name;
    uint32_t cp;
};
constexpr NamedEntity kNamedEntities[] = {
    {"quot", '"'},     {"apos", '\''},     {"copy", 0xA9},    {"reg", 0xAE},     {"deg", 0xB0},
    {"middot", 0xB7},  {"laquo", 0xAB},    {"raquo", 0xBB},   {"times", 0xD7},   {"ndash", 0x2013},
    {"mdash", 0x2014}, {"lsquo", 0x2018},  {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"bull", 0x2022},  {"hellip", 0x2026}, {"trade", 0x2122},
};

// Decodes the character reference at s[i] ('&') into out when it is safe; returns the bytes used,
// or 0 to keep the '&' as it is. "&nbsp;", "&lt;" and "&gt;" and anything unknown stay.
size_t DecodeEntity(std::string_view s, size_t i, std::string& out) {
    const size_t semi = s.substr(0, i + 13).find(';', i + 1);
    if (semi == std::string_view::npos) return 0;
    const std::string_view name = s.substr(i + 1, semi - i - 1);
    if (name.empty()) return 0;
    if (name[0] == '#') {
        uint64_t cp = 0;
        const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 8) return 0;
        for (char c : digits) {
            int d;
            if (IsDigit(c)) {
                d = c - '0';
            } else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f') {
                d = Lower(c) - 'a' + 10;
            } else {
                return 0;
            }
            cp = cp * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        }
        if (cp < 0x20 || cp == '<' || cp == '>' || cp == '&' || cp == 0x7F ||
            (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return 0;
        AppendUtf8(out, static_cast<uint32_t>(cp));
        return semi - i + 1;
    }
    if (name == "amp") {
        // "&amp;nbsp;" would turn into a space downstream: keep the reference then.
        const std::string_view rest = s.substr(semi + 1);
        if (StartsWith(rest, "nbsp") || StartsWith(rest, "npsg")) return 0;
        out += '&';
        return semi - i + 1;
    }
    for (const NamedEntity& e : kNamedEntities) {
        if (e.name == name) {
            AppendUtf8(out, e.cp);
            return semi - i + 1;
        }
    }
    return 0;
}

// Paragraph markup as handed out: closing paragraph and sync tags dropped, line ends of the file
// turned into single spaces, safe character references decoded (outside tags), ends trimmed.
std::string CleanMarkup(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    bool inTag = false;
    for (size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '<') {
            const std::string_view rest = s.substr(i);
            if (rest.size() >= 4 && EqualsNoCase(rest.substr(0, 4), "</p>")) {
                i += 4;
                continue;
            }
            if (rest.size() >= 7 && EqualsNoCase(rest.substr(0, 7), "</sync>")) {
                i += 7;
                continue;
            }
            inTag = true;
        } else if (c == '>') {
            inTag = false;
        } else if (c == '\r' || c == '\n') {
            out += ' ';
            i += (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
            continue;
        } else if (c == '&' && !inTag) {
            const size_t used = DecodeEntity(s, i, out);
            if (used > 0) {
                i += used;
                continue;
            }
        }
        out += c;
        ++i;
    }
    return std::string(Trim(out));
}

// Reads a Start value tolerantly: quotes and blanks around it, a unit or junk after the digits.
bool ReadStart(std::string_view attrsLower, int64_t* startMs) {
    const size_t v = FindAttributeValue(attrsLower, "start");
    if (v == std::string_view::npos) return false;
    size_t i = v;
    bool negative = false;
    if (i < attrsLower.size() && (attrsLower[i] == '-' || attrsLower[i] == '+')) {
        negative = attrsLower[i] == '-';
        ++i;
    }
    if (i >= attrsLower.size() || !IsDigit(attrsLower[i])) return false;
    int64_t value = 0;
    for (; i < attrsLower.size() && IsDigit(attrsLower[i]); ++i) {
        if (value < 100'000'000'000'000) value = value * 10 + (attrsLower[i] - '0');
    }
    *startMs = negative ? -value : value;
    return true;
}

std::string ReadClass(std::string_view attrs, std::string_view attrsLower) {
    const size_t v = FindAttributeValue(attrsLower, "class");
    if (v == std::string_view::npos) return {};
    size_t e = v;
    while (e < attrs.size() && !IsSpace(attrs[e]) && attrs[e] != '"' && attrs[e] != '\'' &&
           attrs[e] != '>' && attrs[e] != '/')
        ++e;
    return std::string(attrs.substr(v, e - v));
}

// Splits the content of one SYNC block into paragraphs.
std::vector<Paragraph> SplitParagraphs(const std::string& text, const std::string& lower,
                                       size_t from, size_t end) {
    std::vector<Paragraph> out;
    size_t p = FindTag(lower, "<p", from, end);
    if (p == std::string::npos) {
        out.push_back({{}, CleanMarkup(std::string_view(text).substr(from, end - from))});
        return out;
    }
    std::string before = CleanMarkup(std::string_view(text).substr(from, p - from));
    if (!before.empty()) out.push_back({{}, std::move(before)});
    while (p != std::string::npos) {
        size_t attrEnd = 0;
        const size_t contentStart = TagEnd(text, p, end, &attrEnd);
        const std::string_view attrs = std::string_view(text).substr(p + 2, attrEnd - p - 2);
        const std::string_view attrsLower = std::string_view(lower).substr(p + 2, attrEnd - p - 2);
        const size_t next = FindTag(lower, "<p", contentStart, end);
        size_t contentEnd = next == std::string::npos ? end : next;
        const size_t closeP =
            std::string_view(lower).substr(0, contentEnd).find("</p", contentStart);
        if (closeP != std::string_view::npos) contentEnd = closeP;
        out.push_back(
            {ReadClass(attrs, attrsLower),
             CleanMarkup(std::string_view(text).substr(contentStart, contentEnd - contentStart))});
        p = next;
    }
    return out;
}

// Text without the STYLE element and without comments, plus the STYLE element's content.
void StripStyleAndComments(std::string_view utf8, std::string* body, std::string* style) {
    const std::string lower = LowerAscii(utf8);
    size_t styleBegin = FindTag(lower, "<style", 0, lower.size());
    size_t styleEnd = std::string::npos;
    if (styleBegin != std::string::npos) {
        const size_t close = lower.find("</style", styleBegin);
        if (close != std::string::npos) {
            const size_t gt = lower.find('>', close);
            styleEnd = gt == std::string::npos ? lower.size() : gt + 1;
            *style = std::string(utf8.substr(styleBegin, close - styleBegin));
        } else {
            styleBegin = std::string::npos;  // an unclosed STYLE is ignored, not swallowed
        }
    }
    body->reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        if (i == styleBegin) {
            i = styleEnd;
            continue;
        }
        if (lower.compare(i, 4, "<!--") == 0) {
            const size_t close = lower.find("-->", i + 4);
            i = close == std::string::npos ? utf8.size() : close + 3;
            continue;
        }
        const size_t next = std::min(
            {lower.find("<!--", i), styleBegin > i ? styleBegin : std::string::npos, utf8.size()});
        body->append(utf8.substr(i, next - i));
        i = next;
    }
}

std::vector<Block> ReadBlocks(const std::string& body) {
    const std::string lower = LowerAscii(body);
    std::vector<Block> blocks;
    size_t p = FindTag(lower, "<sync", 0, lower.size());
    while (p != std::string::npos) {
        size_t attrEnd = 0;
        const size_t contentStart = TagEnd(body, p, body.size(), &attrEnd);
        const size_t next = FindTag(lower, "<sync", contentStart, lower.size());
        size_t contentEnd = next == std::string::npos ? body.size() : next;
        const size_t bodyClose =
            std::string_view(lower).substr(0, contentEnd).find("</body", contentStart);
        if (bodyClose != std::string_view::npos) contentEnd = bodyClose;
        Block block;
        if (ReadStart(std::string_view(lower).substr(p + 5, attrEnd - p - 5), &block.start)) {
            block.paragraphs = SplitParagraphs(body, lower, contentStart, contentEnd);
            blocks.push_back(std::move(block));
        }
        p = next;
    }
    return blocks;
}

std::string ChooseFrom(const std::vector<ClassDecl>& decls, const std::vector<Block>& blocks) {
    for (const ClassDecl& d : decls)
        if (d.korean) return d.name;
    if (!decls.empty()) return decls.front().name;
    std::string first;
    for (const Block& b : blocks) {
        for (const Paragraph& p : b.paragraphs) {
            if (p.cls.empty()) continue;
            if (LooksKoreanName(p.cls)) return p.cls;
            if (first.empty()) first = p.cls;
        }
    }
    return first;
}

}  // namespace

std::string ChooseClass(std::string_view utf8) {
    std::string body, style;
    StripStyleAndComments(utf8, &body, &style);
    return ChooseFrom(ReadClassDecls(style), ReadBlocks(body));
}

std::vector<SamiCue> ParseSami(std::string_view utf8) {
    std::string body, style;
    StripStyleAndComments(utf8, &body, &style);
    std::vector<Block> blocks = ReadBlocks(body);
    const std::string chosen = ChooseFrom(ReadClassDecls(style), blocks);

    std::vector<SamiCue> cues;
    cues.reserve(blocks.size());
    for (Block& b : blocks) {
        bool any = false;
        std::string markup;
        for (Paragraph& p : b.paragraphs) {
            if (!p.cls.empty() && !EqualsNoCase(p.cls, chosen)) continue;
            if (any && !markup.empty() && !p.markup.empty()) markup += "<br>";
            markup += p.markup;
            any = true;
        }
        // A block larger than any caption can show is cut here, off the GUI thread, so it is
        // never copied, converted or laid out in full.
        if (markup.size() > CCaptionParser::kMaxFragmentBytes)
            markup.resize(velmora::text::CutUtf8(markup, CCaptionParser::kMaxFragmentBytes).size());
        if (any) cues.push_back({b.start, std::move(markup)});
    }
    std::stable_sort(cues.begin(), cues.end(),
                     [](const SamiCue& a, const SamiCue& b) { return a.startMs < b.startMs; });
    // Of several blocks with the same start the later one in the file wins.
    std::vector<SamiCue> out;
    out.reserve(cues.size());
    for (SamiCue& c : cues) {
        if (!out.empty() && out.back().startMs == c.startMs)
            out.back() = std::move(c);
        else
            out.push_back(std::move(c));
    }
    return out;
}

std::vector<SamiCue> LoadSamiFile(const std::string& path) {
    // Only regular files: a FIFO or device under a caption file's name would block or never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::string data;
    char buf[65536];
    while (in) {
        in.read(buf, sizeof buf);
        data.append(buf, static_cast<size_t>(in.gcount()));
        if (static_cast<int64_t>(data.size()) > kMaxFileBytes) return {};
    }
    if (in.bad() || data.empty()) return {};
    const std::string text = velmora::text::DecodeToUtf8(data);
    if (text.find('\0') != std::string::npos) return {};  // binary, not a caption file
    return ParseSami(text);
}

int CueIndexAt(const std::vector<SamiCue>& cues, int64_t ms) {
    const auto it = std::upper_bound(cues.begin(), cues.end(), ms,
                                     [](int64_t v, const SamiCue& c) { return v < c.startMs; });
    return static_cast<int>(it - cues.begin()) - 1;
}

}  // namespace sami
