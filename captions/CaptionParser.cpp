#include "captions/CaptionParser.h"

#include "captions/TextDecoder.h"

#include <algorithm>
#include <limits>

namespace velmora::captions {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

bool IsWhiteSpace(char c) {
    return kWhiteSpace.find(c) != std::string_view::npos;
}

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos) return {};
    const size_t last = s.find_last_not_of(kWhiteSpace);
    return s.substr(first, last - first + 1);
}

// ASCII letters only: the bytes of multi-byte UTF-8 characters stay as they are.
std::string ToUpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return out;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    if (from.empty()) return std::string(text);
    out.reserve(text.size());
    size_t pos = 0;
    for (;;) {
        const size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos) break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

int32_t ReadHexNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // A 0x prefix counts only when a hexadecimal digit follows it; otherwise the 0 is the number.
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        HexDigitValue(text[i + 2]) >= 0) {
        i += 2;
    }
    // Accumulate with saturation: anything past 2^32 is out of range whichever sign it has.
    constexpr uint64_t kSaturated = uint64_t(1) << 33;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) break;
        magnitude = std::min(kSaturated, magnitude * 16 + uint64_t(digit));
    }
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    const int64_t value = negative ? -int64_t(magnitude) : int64_t(magnitude);
    return int32_t(std::clamp(value, kMin, kMax));
}

std::optional<int32_t> ReadTagColor(std::string_view upperTag) {
    constexpr std::string_view kAttribute = "COLOR=";
    const size_t at = upperTag.find(kAttribute);
    if (at == std::string_view::npos) return std::nullopt;
    std::string_view value = upperTag.substr(at + kAttribute.size());
    // Quotes, blanks, '=' and the digits and letter of a 0x prefix before the value are dropped.
    // Dropping leading zeros does not change the number.
    const size_t start = value.find_first_not_of("\" =0X");
    value = start == std::string_view::npos ? std::string_view{} : value.substr(start);
    value = value.substr(0, value.find_first_of(" \"'>"));
    return ReadHexNumber(value);
}

}  // namespace velmora::captions

using namespace velmora::captions;

void CCaptionParser::Reset() {
    m_captionText.clear();
    m_currentColor = 0;
    m_lineEndCount = 0;
    m_colorChangeCount = 0;
    m_lineEnds.fill(0);
    m_colorChanges.fill(0);
}

int32_t CCaptionParser::LineEnd(int i) const {
    return i >= 0 && i < m_lineEndCount ? m_lineEnds[size_t(i)] : 0;
}

int32_t CCaptionParser::ColorChange(int i) const {
    return i >= 0 && i < m_colorChangeCount ? m_colorChanges[size_t(i)] : 0;
}

void CCaptionParser::Parse(std::string_view fragment) {
    Reset();
    fragment = velmora::text::CutUtf8(fragment, kMaxFragmentBytes);

    std::string work(fragment);
    work += "  ";
    work = ReplaceAll(work, "&nbsp;", " ");
    work = ReplaceAll(work, "&npsg", " ");
    work = ReplaceAll(work, "\r\n", " ");
    m_captionText.reserve(work.size());

    std::string_view rest = work;
    for (;;) {
        const size_t open = rest.find('<');
        if (open == std::string_view::npos) {
            m_captionText.append(rest);
            break;
        }
        m_captionText.append(rest.substr(0, open));
        rest.remove_prefix(open + 1);
        const size_t close = rest.find('>');
        // An unclosed tag or an empty tag ends the parse; the text so far stays.
        if (close == std::string_view::npos || close == 0) break;
        const std::string_view tag = rest.substr(0, close);
        rest.remove_prefix(close + 1);
        HandleTag(tag);
    }

    // The final entry always has room: breaks stop being recorded one entry short of capacity.
    m_lineEnds[size_t(m_lineEndCount++)] =
        int32_t((uint32_t(m_captionText.size()) & 0xFFFFFFu) | uint32_t(kTextEndFlag));
}

void CCaptionParser::HandleTag(std::string_view rawTag) {
    const std::string tag = ToUpperAscii(Trim(rawTag));

    // Line breaks fill the list up to one entry short of capacity, leaving room for the final
    // entry. Breaks beyond that are treated like any other tag: one space, no new line.
    if (tag == "BR" && m_lineEndCount < kCapacity - 1) {
        m_lineEnds[size_t(m_lineEndCount++)] = int32_t(m_captionText.size());
        m_captionText += ' ';
        return;
    }

    // A change that cannot be recorded (the list is full, or its position does not fit in the
    // entry's 8 bits) is ignored: the current colour stays that of the last recorded change, and
    // the text goes on.
    if (const std::optional<int32_t> color = ReadTagColor(tag);
        color && *color != m_currentColor && m_colorChangeCount < kCapacity &&
        m_captionText.size() <= kMaxColorPosition) {
        const uint32_t entry =
            (uint32_t(*color) & 0xFFFFFFu) | (uint32_t(m_captionText.size()) << 24);
        m_colorChanges[size_t(m_colorChangeCount++)] = int32_t(entry);
        m_currentColor = *color;
    }
    m_captionText += ' ';
}
