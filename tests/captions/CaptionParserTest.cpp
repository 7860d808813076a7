#include "captions/CaptionParser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int32_t kEnd = CCaptionParser::kTextEndFlag;

// Colour change entry: value bits 0-23, position bits 24-31.
constexpr int32_t C(uint32_t value, uint32_t position) {
    return int32_t((value & 0xFFFFFFu) | (position << 24));
}

struct Case {
    std::string fragment, text;
    std::vector<int32_t> lineEnds, colorChanges = {};
    int32_t currentColor = 0;
};

std::string Repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

void Check(const std::vector<Case>& cases) {
    CCaptionParser parser;  // one parser: every parse starts from an empty result
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fragment.substr(0, 40));
        parser.Parse(c.fragment);
        EXPECT_EQ(parser.CaptionText(), c.text);
        EXPECT_EQ(std::vector(parser.LineEnds().begin(), parser.LineEnds().end()), c.lineEnds);
        EXPECT_EQ(std::vector(parser.ColorChanges().begin(), parser.ColorChanges().end()),
                  c.colorChanges);
        EXPECT_EQ(parser.CurrentColor(), c.currentColor);
    }
}

TEST(CaptionParser, TextAndLines) {
    Check({
        {"Hello<br>World", "Hello World  ", {5, kEnd | 13}},
        {"a<br><br>b", "a  b  ", {1, 2, kEnd | 6}},
        {"a<\t Br\n\v\f\r>b", "a b  ", {1, kEnd | 5}},  // break trimmed of all white space
        {"a<br clear=all>b", "a b  ", {kEnd | 5}},      // an attribute makes it no break
        {"<P Class=KRCC>text</p>", " text   ", {kEnd | 8}},
        {"one\r\ntwo", "one two  ", {kEnd | 9}},
        {"a < b", "a ", {kEnd | 2}},  // a lone less-than drops the rest
        {"<<br>>", " >  ", {kEnd | 4}},
        {"", "  ", {kEnd | 2}},
        // Replacements: case-sensitive, left to right, also inside tags.
        {"a&nbsp;b", "a b  ", {kEnd | 5}},
        {"a&npsgb", "a b  ", {kEnd | 5}},
        {"&NBSP;&nbsp", "&NBSP;&nbsp  ", {kEnd | 13}},
        {"\r&nbsp;\n", "\r \n  ", {kEnd | 5}},
        // An empty or unclosed tag stops the text; a blank one does not.
        {"ab<>cd", "ab", {kEnd | 2}},
        {"a< >b", "a b  ", {kEnd | 5}},
        {"안녕<br>하세요", "안녕 하세요  ", {6, kEnd | 18}},
    });
}

TEST(CaptionParser, Colours) {
    const std::string x255(255, 'x');
    Check({
        {"<font color=\"#FF0000\">Hi</font>", " Hi   ", {kEnd | 6}},  // quoted: no colour
        {"<font color=0x00ff00>a", " a  ", {kEnd | 4}, {C(0x00FF00, 0)}, 0x00FF00},
        {"<font color=blue>x", " x  ", {kEnd | 4}, {C(0xB, 0)}, 0xB},
        {"<font color =ff>x", " x  ", {kEnd | 4}},
        {"<font color= ff>x", " x  ", {kEnd | 4}, {C(0xFF, 0)}, 0xFF},
        {"<font&nbsp;color=ff>x", " x  ", {kEnd | 4}, {C(0xFF, 0)}, 0xFF},
        {"<font color=-1>x", " x  ", {kEnd | 4}, {C(0xFFFFFF, 0)}, -1},
        {"<font color=ff>a<font color=0xff>b", " a b  ", {kEnd | 6}, {C(0xFF, 0)}, 0xFF},
        {"<font color=ff>ab<font color=ff00>c",
         " ab c  ",
         {kEnd | 7},
         {C(0xFF, 0), C(0xFF00, 3)},
         0xFF00},
        {"<font color=ff>a</font><font color=000000>b",
         " a  b  ",
         {kEnd | 7},
         {C(0xFF, 0), C(0, 3)}},
        {"가<font color=ff>나", "가 나  ", {kEnd | 9}, {C(0xFF, 3)}, 0xFF},  // byte positions
        // A position lives in 8 bits: later changes are ignored and the text goes on.
        {x255 + "<font color=ff>y", x255 + " y  ", {kEnd | 259}, {C(0xFF, 255)}, 0xFF},
        {x255 + "x<font color=ff>y<br>z", x255 + "x y z  ", {258, kEnd | 262}},
    });
}

TEST(CaptionParser, ReadHexNumber) {
    const std::pair<const char*, int32_t> rows[] = {
        {"", 0},
        {"0X1F", 0x1F},
        {"0xg", 0},
        {"#ff", 0},
        {"80000000", 0x7FFFFFFF},
        {"-80000001", std::numeric_limits<int32_t>::min()},
        {"ffffffffffffffffffffffffffff", 0x7FFFFFFF}};
    for (const auto& [text, value] : rows)
        EXPECT_EQ(velmora::captions::ReadHexNumber(text), value) << text;
}

TEST(CaptionParser, ListLimits) {
    CCaptionParser parser;

    // 99 breaks fill the list together with the final entry; further breaks are plain spaces.
    for (int breaks : {99, 150}) {
        SCOPED_TRACE(breaks);
        parser.Parse(Repeat("<br>", breaks));
        ASSERT_EQ(parser.LineEndCount(), CCaptionParser::kCapacity);
        for (int i = 0; i < 99; ++i) EXPECT_EQ(parser.LineEnd(i), i);
        EXPECT_EQ(parser.LineEnd(99), kEnd | (breaks + 2));
    }

    // 120 alternating colours: the first 100 are recorded, the rest ignored, and the current
    // colour stays the one of the last recorded change.
    std::string fragment;
    for (int i = 0; i < 120; ++i) fragment += i % 2 ? "<font color=2>a" : "<font color=1>a";
    parser.Parse(fragment);
    ASSERT_EQ(parser.ColorChangeCount(), CCaptionParser::kCapacity);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(parser.ColorChange(i), C(i % 2 ? 2 : 1, 2 * i));
    EXPECT_EQ(parser.CurrentColor(), 2);
    EXPECT_EQ(parser.CaptionText().size(), 242u);

    // A huge fragment is cut before the character that would be split.
    parser.Parse(Repeat("가", 1'000'000));
    const int whole = int(CCaptionParser::kMaxFragmentBytes / 3);
    EXPECT_EQ(parser.CaptionText(), Repeat("가", whole) + "  ");
}

}  // namespace
