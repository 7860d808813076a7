#pragma once
// Caption layout as pure functions (no Qt): the caption font size from the picture, the breaking
// of a parse result into display lines, the caption offset and the ink copies that make the
// outline and shadow fringe. Text measurement is injected, so the same code runs with a font's
// metrics in the caption window and with a fake metric in tests.
//
// Parse result: captionText is the caption text (UTF-8); lineEnds holds the end of each line.
// Line i runs from start(i) to end(i), start(0) = 0, start(i + 1) = end(i); an end beyond the
// text (the last entry carries bit 24) is capped at the text's length. Line i + 1 begins with the
// space that replaced the break tag; the layout trims it.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace caption_layout {

inline constexpr int kMaxDisplayLines = 320;
inline constexpr int kSpacingDivisor = 10;
inline constexpr int kPositionScale = 120;  // caption position is in 1/120 of the area height
inline constexpr int kMaxPosition = 60;
inline constexpr double kPitchFactor = 2.3;
inline constexpr double kWrapMargin = 0.13;  // share of the width kept free at each side
inline constexpr int kShadow3Height = 28;    // font heights above this get the +3 shadow copy
inline constexpr int kShadow4Height = 37;    // ... and above this the +4 copy

enum Effect : int { kEffectOutline = 1, kEffectShadow = 2 };

// Caption font size: Hf is the character-cell height (line height, ascent + descent) and Sp
// the gap between display lines.
struct FontMetrics {
    int height = 0;   // Hf
    int spacing = 0;  // Sp
    int Pitch() const { return height + spacing; }
    friend bool operator==(const FontMetrics&, const FontMetrics&) = default;
};

// Pitch P = contentWidth x naturalHeight x 2.3 / naturalWidth / sizeRatio; Sp = P / 10 and
// Hf = P - P / 10, each truncated. Non-positive inputs give 0 x 0 (nothing is shown).
FontMetrics ComputeFont(int contentWidth, int naturalWidth, int naturalHeight, int sizeRatio);

// Width in pixels of a single line of UTF-8 text in the caption font.
using TextWidthFn = std::function<int(std::string_view utf8)>;

struct Params {
    int width = 0;   // W: caption area width
    int height = 0;  // H: caption area height
    FontMetrics font;
    int effect = 0;    // Effect bits
    int position = 6;  // 0..60, used only when extraLines is 0
    int extraLines = 0;
};

struct DisplayLine {
    std::string text;  // trimmed, UTF-8
    int top = 0;       // relative to the top of the caption block
    int width = 0;     // measured width of text
};

struct InkOffset {
    int dx = 0;
    int dy = 0;
    friend bool operator==(const InkOffset&, const InkOffset&) = default;
};

// Offsets at which the display lines are drawn into the mask: always (0, 0) and the (+1, +1)
// fringe; the outline adds (-1, -1), (+1, -1), (-1, +1); the shadow adds (+2, +2), then
// (+3, +3) when Hf > 28 and (+4, +4) when Hf > 37.
struct InkOffsets {
    std::array<InkOffset, 8> at{};
    int count = 0;
    std::span<const InkOffset> Span() const { return {at.data(), static_cast<size_t>(count)}; }
};
InkOffsets InkOffsetsFor(int effect, int fontHeight);

// The result of one caption layout, in caption-block coordinates (the block's top is row 0;
// add offsetY to get caption-window coordinates).
struct Layout {
    std::vector<DisplayLine> lines;  // empty: the caption stays hidden
    int offsetY = 0;                 // Yc: caption area top to caption block top
    int centreX = 0;                 // x0 = W / 2: lines are centred on it
    int scanRows = 0;                // block rows 0..scanRows-1 make the shape (within H)
    int scanColumns = 0;             // columns 0..scanColumns-1 make the shape (W - 1)
    InkOffsets offsets;
    bool Empty() const { return lines.empty(); }
};

Layout LayoutCaption(std::string_view captionText, std::span<const int32_t> lineEnds,
                     const Params& params, const TextWidthFn& measure);

// Building blocks, exposed for the caption window and for tests.

// Trims space, tab, line feed, vertical tab, form feed and carriage return at both ends.
std::string_view Trim(std::string_view s);
std::string_view TrimStart(std::string_view s);

// Width of the box the segment is word-wrapped into: W - 2 x truncate(0.13 x W).
int WrapBoxWidth(int areaWidth);

// Number of lines the text needs when word-wrapped into boxWidth: breaks at spaces; a word wider
// than the box breaks between characters. Empty text needs 0 lines.
int WrappedLineCount(std::string_view text, int boxWidth, const TextWidthFn& measure);

// Cuts a trimmed segment into at most n pieces of about equal byte length: chunk = length / n + 1,
// each cut moved forward until it follows a single-byte (ASCII) character, so that a cut never
// falls inside a multi-byte character (in Korean text it falls after a space). Pieces are trimmed.
std::vector<std::string_view> SplitBalanced(std::string_view segment, int n);

// Caption offset Yc for H, extra lines E, caption position, display line count q and the top of
// the last display line.
int CaptionOffset(int areaHeight, int extraLines, int position, int lineCount, int lastTop,
                  FontMetrics font);

}  // namespace caption_layout
