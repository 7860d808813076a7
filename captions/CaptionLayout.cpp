#include "captions/CaptionLayout.h"

#include <algorithm>
#include <climits>
#include <unordered_map>

namespace caption_layout {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsAsciiByte(char c) {
    return (static_cast<unsigned char>(c) & 0x80) == 0;
}

int Trunc(double v) {
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

// Length in bytes of the UTF-8 character starting at s[i] (1 for a stray byte), kept inside s.
size_t CharLength(std::string_view s, size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n = 1;
    if (b >= 0xF0)
        n = 4;
    else if (b >= 0xE0)
        n = 3;
    else if (b >= 0xC0)
        n = 2;
    size_t len = 1;
    while (len < n && i + len < s.size() && (static_cast<unsigned char>(s[i + len]) & 0xC0) == 0x80)
        ++len;
    return len;
}

// Line count of the word wrap; *fullWidth receives the width of the whole text when it was
// measured (the text fits on one line), otherwise -1.
int WrapCount(std::string_view text, int boxWidth, const TextWidthFn& measure, int* fullWidth) {
    *fullWidth = -1;
    text = Trim(text);
    if (text.empty()) return 0;
    const int whole = measure(text);
    if (whole <= boxWidth) {
        *fullWidth = whole;
        return 1;
    }
    const int space = measure(" ");
    std::unordered_map<std::string_view, int> charWidths;
    int lines = 0;
    int cur = -1;  // width of the current line; -1 before the first word
    size_t i = 0;
    while (i < text.size()) {
        size_t j = i;
        while (j < text.size() && IsBlank(text[j])) ++j;
        size_t k = j;
        while (k < text.size() && !IsBlank(text[k])) ++k;
        if (k == j) break;
        const int gap = static_cast<int>(j - i) * space;
        const std::string_view word = text.substr(j, k - j);
        const int w = measure(word);
        if (cur >= 0 && cur + gap + w <= boxWidth) {
            cur += gap + w;
        } else if (w <= boxWidth) {
            ++lines;
            cur = w;
        } else {
            // A word wider than the box breaks between characters; each line keeps at least one.
            // Character widths are measured once per distinct character.
            ++lines;
            cur = 0;
            for (size_t c = 0; c < word.size();) {
                const size_t n = CharLength(word, c);
                const std::string_view ch = word.substr(c, n);
                auto known = charWidths.find(ch);
                if (known == charWidths.end()) known = charWidths.emplace(ch, measure(ch)).first;
                const int cw = known->second;
                if (cur > 0 && cur + cw > boxWidth) {
                    ++lines;
                    cur = cw;
                } else {
                    cur += cw;
                }
                c += n;
            }
        }
        i = k;
    }
    return std::max(lines, 1);
}

// Copy of a display line with control bytes (tabs, lone line feeds) shown as spaces.
std::string Printable(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return out;
}

}  // namespace

FontMetrics ComputeFont(int contentWidth, int naturalWidth, int naturalHeight, int sizeRatio) {
    if (contentWidth <= 0 || naturalWidth <= 0 || naturalHeight <= 0 || sizeRatio <= 0) return {};
    const double p =
        static_cast<double>(contentWidth) * naturalHeight * kPitchFactor / naturalWidth / sizeRatio;
    return {Trunc(p - p / kSpacingDivisor), Trunc(p / kSpacingDivisor)};
}

InkOffsets InkOffsetsFor(int effect, int fontHeight) {
    InkOffsets o;
    auto add = [&](int dx, int dy) { o.at[o.count++] = {dx, dy}; };
    add(0, 0);
    add(1, 1);
    if (effect & kEffectOutline) {
        add(-1, -1);
        add(1, -1);
        add(-1, 1);
    }
    if (effect & kEffectShadow) {
        add(2, 2);
        if (fontHeight > kShadow3Height) add(3, 3);
        if (fontHeight > kShadow4Height) add(4, 4);
    }
    return o;
}

std::string_view TrimStart(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b])) ++b;
    return s.substr(b);
}

std::string_view Trim(std::string_view s) {
    s = TrimStart(s);
    size_t e = s.size();
    while (e > 0 && IsBlank(s[e - 1])) --e;
    return s.substr(0, e);
}

int WrapBoxWidth(int areaWidth) {
    const int margin = Trunc(kWrapMargin * areaWidth);
    return areaWidth - 2 * margin;
}

int WrappedLineCount(std::string_view text, int boxWidth, const TextWidthFn& measure) {
    int unused = 0;
    return WrapCount(text, boxWidth, measure, &unused);
}

std::vector<std::string_view> SplitBalanced(std::string_view segment, int n) {
    std::vector<std::string_view> pieces;
    std::string_view rest = Trim(segment);
    if (n < 1) n = 1;
    const size_t chunk = rest.size() / static_cast<size_t>(n) + 1;
    while (static_cast<int>(pieces.size()) < n && !rest.empty()) {
        size_t j = std::min(chunk, rest.size());
        // Never cut just after a byte of a multi-byte character: move on to just after the next
        // single-byte character (or to the end).
        while (j < rest.size() && !IsAsciiByte(rest[j - 1])) ++j;
        const std::string_view piece = Trim(rest.substr(0, j));
        if (!piece.empty()) pieces.push_back(piece);
        if (j >= rest.size()) break;
        rest = TrimStart(rest.substr(j));
    }
    return pieces;
}

int CaptionOffset(int areaHeight, int extraLines, int position, int lineCount, int lastTop,
                  FontMetrics font) {
    const int64_t h = areaHeight;
    const int64_t pitch = font.Pitch();
    int64_t yc;
    if (extraLines <= 0)
        yc = h - h * position / kPositionScale - (int64_t{lastTop} + font.height);
    else if (lineCount <= extraLines)
        yc = h - extraLines * pitch + font.spacing;
    else
        yc = h - lineCount * pitch + font.spacing;
    return static_cast<int>(std::clamp<int64_t>(yc, INT_MIN, INT_MAX));
}

Layout LayoutCaption(std::string_view captionText, std::span<const int32_t> lineEnds,
                     const Params& params, const TextWidthFn& measure) {
    Layout out;
    const FontMetrics font = params.font;
    if (params.width <= 0 || params.height <= 0 || font.height <= 0) return out;

    const int box = WrapBoxWidth(params.width);
    const size_t len = captionText.size();
    int y = 0;
    auto addLine = [&](std::string_view text, int width) {
        if (static_cast<int>(out.lines.size()) >= kMaxDisplayLines) return;  // excess dropped
        DisplayLine line;
        line.text = Printable(text);
        line.top = y;
        line.width = width >= 0 ? width : measure(line.text);
        out.lines.push_back(std::move(line));
        y += font.Pitch();
    };
    auto layoutSegment = [&](std::string_view raw) {
        const std::string segment = Printable(Trim(raw));
        if (segment.empty()) return;
        int width = -1;
        const int n = WrapCount(segment, box, measure, &width);
        if (n <= 1) {
            addLine(segment, width);
            return;
        }
        for (std::string_view piece : SplitBalanced(segment, n)) addLine(piece, -1);
    };

    if (lineEnds.empty()) {
        layoutSegment(captionText);  // no line ends: the whole text is one line
    } else {
        size_t start = 0;
        for (int32_t rawEnd : lineEnds) {
            if (start >= len || static_cast<int>(out.lines.size()) >= kMaxDisplayLines) break;
            const size_t end =
                std::clamp<int64_t>(rawEnd, static_cast<int64_t>(start), static_cast<int64_t>(len));
            layoutSegment(captionText.substr(start, end - start));
            start = end;
        }
    }
    if (out.lines.empty()) return out;

    const int lastTop = out.lines.back().top;
    out.offsets = InkOffsetsFor(params.effect, font.height);
    out.offsetY = CaptionOffset(params.height, params.extraLines, params.position,
                                static_cast<int>(out.lines.size()), lastTop, font);
    out.centreX = params.width / 2;
    out.scanRows =
        static_cast<int>(std::min<int64_t>(params.height, int64_t{lastTop} + font.height + 1));
    out.scanColumns = params.width - 1;
    return out;
}

}  // namespace caption_layout
