#include "captions/CaptionParser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr int32_t kEnd = CCaptionParser::kTextEndFlag;

// Colour change entry: value bits 0-23, position bits 24-31.
constexpr int32_t Change(uint32_t value, uint32_t position) {
    return int32_t((value & 0xFFFFFFu) | (position << 24));
}

struct Case {
    const char* name;
    std::string fragment;
    std::string text;
    std::vector<int32_t> lineEnds;
    std::vector<int32_t> colorChanges;
    int32_t currentColor = 0;
};

std::string Repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

void Check(const std::vector<Case>& cases) {
    CCaptionParser parser;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        parser.Parse(c.fragment);
        EXPECT_EQ(parser.CaptionText(), c.text);
        EXPECT_EQ(std::vector<int32_t>(parser.LineEnds().begin(), parser.LineEnds().end()),
                  c.lineEnds);
        EXPECT_EQ(std::vector<int32_t>(parser.ColorChanges().begin(), parser.ColorChanges().end()),
                  c.colorChanges);
        EXPECT_EQ(parser.CurrentColor(), c.currentColor);
    }
}

TEST(CaptionParser, ReferenceFragments) {
    Check({
        {"break between words", "Hello<br>World", "Hello World  ", {5, kEnd | 13}, {}},
        {"hash colour reads as 0", "<font color=\"#FF0000\">Hi</font>", " Hi   ", {kEnd | 6}, {}},
        {"lower-case colour with 0x",
         "<font color=0x00ff00>a",
         " a  ",
         {kEnd | 4},
         {Change(0x00FF00, 0)},
         0x00FF00},
        {"lone less-than drops the rest", "a < b", "a ", {kEnd | 2}, {}},
        {"nbsp alone", "&nbsp;", "   ", {kEnd | 3}, {}},
        {"break alone", "<br>", "   ", {0, kEnd | 3}, {}},
        {"mixed-case break with blank", "<bR >x", " x  ", {0, kEnd | 4}, {}},
        {"CRLF joins words", "one\r\ntwo", "one two  ", {kEnd | 9}, {}},
    });
}

TEST(CaptionParser, Tags) {
    Check({
        {"paragraph tags become spaces", "<P Class=KRCC>text</p>", " text   ", {kEnd | 8}, {}},
        {"break with attribute is no break", "a<br clear=all>b", "a b  ", {kEnd | 5}, {}},
        {"break trimmed of all white space", "a<\t Br\n\v\f\r>b", "a b  ", {1, kEnd | 5}, {}},
        {"two breaks make an empty line", "a<br><br>b", "a  b  ", {1, 2, kEnd | 6}, {}},
        {"nested less-than is part of the tag", "<<br>>", " >  ", {kEnd | 4}, {}},
        {"stray greater-than is text", "a>b", "a>b  ", {kEnd | 5}, {}},
        {"unknown entities stay", "&amp;&lt;", "&amp;&lt;  ", {kEnd | 11}, {}},
        {"empty fragment", "", "  ", {kEnd | 2}, {}},
        {"only tags and blanks", " <p> <font> ", "       ", {kEnd | 7}, {}},
    });
}

TEST(CaptionParser, Replacements) {
    Check({
        {"nbsp between words", "a&nbsp;b", "a b  ", {kEnd | 5}, {}},
        {"npsg without semicolon", "a&npsgb", "a b  ", {kEnd | 5}, {}},
        {"replacements are case-sensitive", "&NBSP;&nbsp", "&NBSP;&nbsp  ", {kEnd | 13}, {}},
        {"no overlapping matches", "&nbsp;nbsp;", " nbsp;  ", {kEnd | 8}, {}},
        {"CR nbsp LF is no pair", "\r&nbsp;\n", "\r \n  ", {kEnd | 5}, {}},
        {"replacement inside a tag",
         "<font&nbsp;color=ff>x",
         " x  ",
         {kEnd | 4},
         {Change(0xFF, 0)},
         0xFF},
    });
}

TEST(CaptionParser, FailureStops) {
    Check({
        {"empty tag stops", "ab<>cd", "ab", {kEnd | 2}, {}},
        {"empty tag first", "<><br>", "", {kEnd | 0}, {}},
        {"unclosed tag stops", "a<br", "a", {kEnd | 1}, {}},
        {"break kept before unclosed tag", "a<br>b<i", "a b", {1, kEnd | 3}, {}},
        {"blank tag is not empty", "a< >b", "a b  ", {kEnd | 5}, {}},
    });
}

TEST(CaptionParser, Colours) {
    Check({
        {"blue reads as 0xB", "<font color=blue>x", " x  ", {kEnd | 4}, {Change(0xB, 0)}, 0xB},
        {"apostrophe cuts the value to nothing", "<font color='ff'>x", " x  ", {kEnd | 4}, {}},
        {"blank before = is no attribute", "<font color =ff>x", " x  ", {kEnd | 4}, {}},
        {"blank after = is stripped",
         "<font color= ff>x",
         " x  ",
         {kEnd | 4},
         {Change(0xFF, 0)},
         0xFF},
        {"value ends at a blank",
         "<font color=ff0000 size=3>x",
         " x  ",
         {kEnd | 4},
         {Change(0xFF0000, 0)},
         0xFF0000},
        {"same colour twice is one change",
         "<font color=ff>a<font color=0xff>b",
         " a b  ",
         {kEnd | 6},
         {Change(0xFF, 0)},
         0xFF},
        {"changes record their positions",
         "<font color=ff>ab<font color=ff00>c",
         " ab c  ",
         {kEnd | 7},
         {Change(0xFF, 0), Change(0xFF00, 3)},
         0xFF00},
        {"back to black is a change",
         "<font color=ff>a</font><font color=000000>b",
         " a  b  ",
         {kEnd | 7},
         {Change(0xFF, 0), Change(0, 3)},
         0},
        {"attribute anywhere in the tag",
         "<span style x color=12>x",
         " x  ",
         {kEnd | 4},
         {Change(0x12, 0)},
         0x12},
        {"negative value", "<font color=-1>x", " x  ", {kEnd | 4}, {Change(0xFFFFFF, 0)}, -1},
    });
}

TEST(CaptionParser, ReadHexNumber) {
    using velmora::captions::ReadHexNumber;
    const struct {
        const char* text;
        int32_t value;
    } rows[] = {
        {"", 0},
        {"ff", 0xFF},
        {" \t ff", 0xFF},
        {"-ff", -0xFF},
        {"0X1F", 0x1F},
        {"0xg", 0},
        {"1g2", 1},
        {"#ff", 0},
        {"80000000", 0x7FFFFFFF},
        {"-80000001", std::numeric_limits<int32_t>::min()},
        {"ffffffffffffffffffffffffffff", 0x7FFFFFFF},
    };
    for (const auto& row : rows) EXPECT_EQ(ReadHexNumber(row.text), row.value) << row.text;
}

TEST(CaptionParser, ColourPositionBound) {
    // A change position lives in 8 bits: later changes are ignored, and the text goes on.
    const std::string text255(255, 'x');
    const std::string korean86 = Repeat("가", 86);  // 258 bytes
    Check({
        {"change at byte 255 is recorded",
         text255 + "<font color=ff>y",
         text255 + " y  ",
         {kEnd | 259},
         {Change(0xFF, 255)},
         0xFF},
        {"change past byte 255 keeps the rest",
         text255 + "x<font color=ff>y<br>z",
         text255 + "x y z  ",
         {258, kEnd | 262},
         {}},
        {"Korean past 255 bytes keeps the rest",
         korean86 + "<font color=1>끝",
         korean86 + " 끝  ",
         {kEnd | 264},
         {}},
    });
}

TEST(CaptionParser, ListLimits) {
    CCaptionParser parser;

    // 99 breaks fill the list together with the final entry; further breaks are plain spaces.
    for (int breaks : {99, 150}) {
        SCOPED_TRACE(breaks);
        parser.Parse(Repeat("<br>", breaks));
        ASSERT_EQ(parser.LineEndCount(), CCaptionParser::kCapacity);
        for (int i = 0; i < 99; ++i) EXPECT_EQ(parser.LineEnd(i), i);
        EXPECT_EQ(parser.CaptionText().size(), size_t(breaks + 2));
        EXPECT_EQ(parser.LineEnd(99), kEnd | (breaks + 2));
    }

    // 120 alternating colours: the first 100 are recorded, the rest ignored, and the current
    // colour stays the one of the last recorded change.
    std::string fragment;
    for (int i = 0; i < 120; ++i) fragment += i % 2 ? "<font color=2>a" : "<font color=1>a";
    parser.Parse(fragment);
    ASSERT_EQ(parser.ColorChangeCount(), CCaptionParser::kCapacity);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(parser.ColorChange(i), Change(i % 2 ? 2 : 1, 2 * i));
    EXPECT_EQ(parser.CurrentColor(), 2);
    EXPECT_EQ(parser.CaptionText().size(), 242u);
    EXPECT_EQ(parser.LineEnd(parser.LineEndCount() - 1), kEnd | 242);

    // A huge fragment is cut before the character that would be split.
    parser.Parse(Repeat("가", 1'000'000));
    const int whole = int(CCaptionParser::kMaxFragmentBytes / 3);
    EXPECT_EQ(parser.CaptionText(), Repeat("가", whole) + "  ");
    parser.Parse(fragment);

    // A new parse starts from an empty result.
    parser.Parse("plain");
    EXPECT_EQ(parser.ColorChangeCount(), 0);
    EXPECT_EQ(parser.CurrentColor(), 0);
    EXPECT_EQ(parser.LineEndCount(), 1);
}

TEST(CaptionParser, Utf8Text) {
    Check({
        {"Korean lines", "안녕<br>하세요", "안녕 하세요  ", {6, kEnd | 18}, {}},
        {"Korean in a tag is no break", "a<br가>b", "a b  ", {kEnd | 5}, {}},
        {"Korean bytes are not upper-cased", "<p 가>한", " 한  ", {kEnd | 6}, {}},
        {"colour after Korean text",
         "가<font color=ff>나",
         "가 나  ",
         {kEnd | 9},
         {Change(0xFF, 3)},
         0xFF},
    });
}

}  // namespace
