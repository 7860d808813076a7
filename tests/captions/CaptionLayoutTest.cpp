// Caption layout with a fake metric: every ASCII byte is 10 pixels wide and every multi-byte
// character 20 pixels.

#include "captions/CaptionLayout.h"

#include <gtest/gtest.h>

#include "captions/TextDecoder.h"

#include <random>
#include <span>
#include <string>
#include <tuple>
#include <vector>

using namespace caption_layout;

namespace {

int FakeWidth(std::string_view s) {
    int w = 0;
    for (unsigned char c : s) {
        if (c < 0x80)
            w += 10;
        else if (c >= 0xC0)
            w += 20;
    }
    return w;
}

constexpr int32_t kLast = 0x01000000;

std::vector<std::string> Texts(const Layout& l) {
    std::vector<std::string> out;
    for (const auto& line : l.lines) out.push_back(line.text);
    return out;
}

// A 27-pixel font with 3 pixels of spacing.
Layout Lay(std::string_view text, std::span<const int32_t> ends, int w = 640, int h = 480,
           int position = 6, int extraLines = 0, FontMetrics font = {27, 3}) {
    return LayoutCaption(text, ends, Params{w, h, font, 0, position, extraLines}, FakeWidth);
}

}  // namespace

TEST(CaptionLayout, FontFromPicture) {
    // Content width, natural width and height, size ratio, font.
    const std::tuple<int, int, int, int, FontMetrics> rows[] = {
        {640, 640, 480, 36, {27, 3}},  // P = 30.67
        {640, 640, 480, 21, {47, 5}},  // P = 52.57
        {640, 576, 480, 36, {30, 3}},  // a cropped source is not used: natural size only
        {640, 320, 0, 36, {0, 0}},     // sound only: no font
        {640, 640, 480, 0, {0, 0}},    // a garbage ratio shows nothing
    };
    for (const auto& [content, w, h, ratio, font] : rows)
        EXPECT_EQ(ComputeFont(content, w, h, ratio), font) << w << "x" << h << " / " << ratio;
}

TEST(CaptionLayout, LinesFromParseResult) {
    // "Hello<br>World": the second line starts with the space of the break tag.
    const int32_t ends[] = {5, kLast | 13};
    const Layout l = Lay("Hello World  ", ends);
    EXPECT_EQ(Texts(l), (std::vector<std::string>{"Hello", "World"}));
    EXPECT_EQ(std::tuple(l.lines.back().top, l.lines.back().width, l.scanRows),
              std::tuple(30, 50, 58));

    // Empty lines (two breaks in a row) do not advance; blanks or a break alone show nothing.
    const int32_t gapEnds[] = {1, 2, kLast | 7}, blankEnds[] = {kLast | 5},
                  brOnly[] = {0, kLast | 3};
    EXPECT_EQ(Texts(Lay("a   b  ", gapEnds)), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(Lay("  \t  ", blankEnds).Empty());
    EXPECT_TRUE(Lay("   ", brOnly).Empty());

    // Nothing is laid out without an area or a font.
    EXPECT_TRUE(Lay("Hello", blankEnds, 0).Empty());
    EXPECT_TRUE(Lay("Hello", blankEnds, 640, 480, 6, 0, {}).Empty());
}

TEST(CaptionLayout, MalformedLineEnds) {
    const std::string text = "one two three four";
    const std::vector<std::vector<int32_t>> cases = {
        {},                         // no ends: the whole text is one line
        {-5, 3, 2, 1 << 30, 7},     // negative, decreasing and huge entries
        {kLast | 0xFFFFFF},         // last entry beyond the text
        {3, 3, 3, kLast | 18, 40},  // entries after the end of the text
    };
    for (const auto& ends : cases) {
        std::string joined;
        for (const auto& line : Lay(text, ends).lines) joined += line.text + " ";
        EXPECT_EQ(std::string(Trim(joined)).size(), text.size());
    }
    // Garbage: random bytes (invalid UTF-8 included) in one long line and with random ends.
    std::mt19937 rng(3);
    std::string junk(100000, ' ');
    for (char& c : junk) c = static_cast<char>(rng() % 256);
    std::vector<int32_t> junkEnds;
    for (int i = 0; i < 99; ++i) junkEnds.push_back(static_cast<int32_t>(rng() % 120000));
    junkEnds.push_back(kLast | 100000);
    for (auto e :
         {std::span<const int32_t>(junkEnds).last(1), std::span<const int32_t>(junkEnds)}) {
        const Layout l = Lay(junk, e);
        EXPECT_LE(static_cast<int>(l.lines.size()), kMaxDisplayLines);
        for (const auto& line : l.lines) EXPECT_FALSE(line.text.empty());
    }
    // 400 breaks: no more than the display limit of lines.
    std::string many;
    std::vector<int32_t> manyEnds;
    for (int i = 0; i < 400; ++i) manyEnds.push_back(static_cast<int32_t>((many += " x").size()));
    manyEnds.back() |= kLast;
    EXPECT_EQ(int(Lay(many, manyEnds).lines.size()), kMaxDisplayLines);
    // Control bytes are shown as spaces.
    const int32_t end[] = {kLast | 5};
    EXPECT_EQ(Texts(Lay("a\nb\tc", end)), (std::vector<std::string>{"a b c"}));
}

TEST(CaptionLayout, WrapAndBalancedCuts) {
    // Text, area width, wrapped line count, the lines shown.
    const std::tuple<std::string, int, int, std::vector<std::string>> rows[] = {
        {"aaaa bbbb", 640, 1, {"aaaa bbbb"}},
        // Box 101 of W 135 (74 %): two words a line, three lines, a third of the bytes each.
        {"aaaa bbbb cccc dddd eeee ffff", 135, 3, {"aaaa bbbb", "cccc dddd", "eeee ffff"}},
        // Balanced by bytes, not filled greedily: a word is cut in its middle.
        {"aaaaaaa bbbbbbbbbb", 135, 2, {"aaaaaaa bb", "bbbbbbbb"}},
        // Korean: cuts move on to just after the next space. Box 252 of W 338.
        {"가나다라 바사아자차 카타파하가 나다라마바 사아자차카 타파하가나",
         338,
         3,
         {"가나다라 바사아자차 카타파하가", "나다라마바 사아자차카", "타파하가나"}},
        // No single-byte character after the first cut point: the first piece takes the rest.
        {"안녕 가나다라마바사아자차카타파하가나다라마바",
         338,
         3,
         {"안녕 가나다라마바사아자차카타파하가나다라마바"}},
    };
    for (const auto& [text, areaWidth, wrapped, pieces] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(WrappedLineCount(text, WrapBoxWidth(areaWidth), FakeWidth), wrapped);
        const int32_t ends[] = {kLast | static_cast<int32_t>(text.size())};
        const Layout l = Lay(text, ends, areaWidth);
        EXPECT_EQ(Texts(l), pieces);
        for (size_t i = 0; i < l.lines.size(); ++i)  // wrapped lines are laid out like broken ones
            EXPECT_EQ(std::pair(l.lines[i].top, l.lines[i].width),
                      std::pair(int(i) * 30, FakeWidth(l.lines[i].text)));
    }
    EXPECT_EQ(WrappedLineCount("   ", 100, FakeWidth), 0);
}

TEST(CaptionLayout, CutsNeverSplitCharacters) {
    // Random mixes of Korean syllables, ASCII letters and spaces, cut into 2..6 pieces.
    std::mt19937 rng(7);
    const char* parts[] = {"가", "힣", "a", "Z", " ", "é", "😀", "."};
    for (int round = 0; round < 2000; ++round) {
        std::string s;
        const int len = 1 + static_cast<int>(rng() % 40);
        for (int i = 0; i < len; ++i) s += parts[rng() % 8];
        const int n = 2 + static_cast<int>(rng() % 5);
        const auto pieces = SplitBalanced(s, n);
        ASSERT_LE(static_cast<int>(pieces.size()), n);
        std::string joined, original = s;
        for (auto p : pieces) {
            ASSERT_TRUE(!p.empty() && velmora::text::IsValidUtf8(p)) << s;
            joined += p;
        }
        std::erase(joined, ' ');
        std::erase(original, ' ');
        EXPECT_EQ(joined, original) << "text lost or duplicated: " << s;
    }
}

TEST(CaptionLayout, CaptionOffset) {
    // Picture 480 high, Hf 27 and Sp 3 (pitch 30); where the last line's bottom sits.
    const int32_t oneEnd[] = {kLast | 3}, threeEnds[] = {1, 3, kLast | 7};
    auto bottom = [](const Layout& l) { return l.offsetY + l.lines.back().top + 27; };
    EXPECT_EQ(bottom(Lay("a b c  ", threeEnds, 640, 480, 0)), 480);
    EXPECT_EQ(bottom(Lay("a b c  ", threeEnds, 640, 480, 60)), 240);
    // Two extra lines (area 480 + 60): one line sits Sp below the picture; three end at the
    // area's bottom, over the picture.
    EXPECT_EQ(Lay("abc", oneEnd, 640, 540, 60, 2).offsetY, 480 + 3);
    EXPECT_EQ(bottom(Lay("a b c  ", threeEnds, 640, 540, 60, 2)), 540);
    // The rows scanned for the shape never go past the area's height.
    EXPECT_EQ(Lay("a b c  ", threeEnds, 640, 70).scanRows, 70);
}
