// SAMI reader: encodings, block splitting, language classes, markup hand-over, file limits.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "captions/CaptionParser.h"
#include "captions/SamiReader.h"

using sami::SamiCue;

namespace {

std::string TempPath(const std::string& name) {
    return std::string(::testing::TempDir()) + "/sami-" + std::to_string(getpid()) + "-" + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

}  // namespace

TEST(SamiReader, FilesAreDecoded) {
    // The decoder's own cases are in its test; here the file route through it. UTF-16 holds zero
    // bytes, so the check for binary files must come after decoding.
    std::string utf16;
    for (char c : std::string_view("<SYNC Start=1><P>a<SYNC Start=2><P>b")) utf16 += {c, '\0'};
    const std::pair<std::string, std::vector<SamiCue>> rows[] = {
        {"<SYNC Start=1><P>\xB0\xA1\xB3\xAA", {{1, "가나"}}},
        {utf16, {{1, "a"}, {2, "b"}}},
    };
    for (const auto& [bytes, cues] : rows) {
        const std::string path = TempPath("enc.smi");
        WriteFile(path, bytes);
        EXPECT_EQ(sami::LoadSamiFile(path), cues);
        std::remove(path.c_str());
    }
}

TEST(SamiReader, HugeBlockIsCutToWholeCharacters) {
    // One block of 9 MB: nothing that large can be shown, and handing it on would stall the
    // caption layout. The cut falls before the character that would be split.
    std::string text = "<SYNC Start=1><P>";
    for (int i = 0; i < 3'000'000; ++i) text += "가";
    const auto cues = sami::ParseSami(text);
    ASSERT_EQ(cues.size(), 1u);
    const size_t whole = CCaptionParser::kMaxFragmentBytes / 3 * 3;
    EXPECT_EQ(cues[0].markup.size(), whole);
    EXPECT_EQ(cues[0].markup.substr(whole - 3), "가");
}

TEST(SamiReader, BlocksAreSplitTolerantly) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<SamiCue> cues;
    } rows[] = {
        {"lower-case tags and attributes",
         "<sami><body><sync start=100><p class=krcc>a<sync start=200><p>b</p></sync></body>",
         {{100, "a"}, {200, "b"}}},
        {"quoted and spaced Start, junk after the digits",
         "<SYNC Start = \"100\"><P>a<SYNC START='200ms'><P>b<SYNC Start=x><P>c",
         {{100, "a"}, {200, "b"}}},
        {"comments are removed",
         "<SYNC Start=100><P>a<!-- <SYNC Start=150><P>hidden -->b<SYNC Start=200><P>c",
         {{100, "ab"}, {200, "c"}}},
        {"equal Start: the later block wins",
         "<SYNC Start=100><P>first<SYNC Start=100><P>second<SYNC Start=300><P>x",
         {{100, "second"}, {300, "x"}}},
        {"out-of-order blocks are sorted",
         "<SYNC Start=3000><P>c<SYNC Start=1000><P>a<SYNC Start=2000><P>b",
         {{1000, "a"}, {2000, "b"}, {3000, "c"}}},
        {"empty and blank blocks stay",
         "<SYNC Start=100><P>a<SYNC Start=200><P>&nbsp;<SYNC Start=300></SYNC>",
         {{100, "a"}, {200, "&nbsp;"}, {300, ""}}},
        {"line ends become spaces, ends trimmed",
         "<SYNC Start=1><P>\r\n one\r\ntwo\nthree\r \n",
         {{1, "one two three"}}},
        {"a tag missing its '>'", "<SYNC Start=5<P>a", {{5, "a"}}},
        {"no blocks", "<SAMI><BODY>nothing</BODY></SAMI>", {}},
        {"text after </BODY> is not a caption", "<SYNC Start=1><P>a</BODY>junk", {{1, "a"}}},
    };
    for (const Row& r : rows) EXPECT_EQ(sami::ParseSami(r.text), r.cues) << r.name;
}

TEST(SamiReader, LanguageClassIsChosen) {
    const std::string twoClasses =
        "<STYLE><!-- .ENUSCC { Name:English; lang:en-US; } .KRCC { Name:Korean; lang:ko-KR; } "
        "--></STYLE><BODY>"
        "<SYNC Start=100><P Class=ENUSCC>hello<P Class=KRCC>안녕"
        "<SYNC Start=200><P Class=ENUSCC>only english"
        "<SYNC Start=300><P>both</P>"
        "<SYNC Start=400><P Class=krcc>소문자</BODY>";
    EXPECT_EQ(sami::ChooseClass(twoClasses), "KRCC");
    EXPECT_EQ(sami::ParseSami(twoClasses),
              (std::vector<SamiCue>{{100, "안녕"}, {300, "both"}, {400, "소문자"}}));

    const std::string noKorean =
        "<STYLE>.FRCC { lang:fr-FR; } .ENCC { lang:en-US; }</STYLE>"
        "<SYNC Start=1><P Class=ENCC>en<P Class=FRCC>fr";
    EXPECT_EQ(sami::ChooseClass(noKorean), "FRCC");
    EXPECT_EQ(sami::ParseSami(noKorean), (std::vector<SamiCue>{{1, "fr"}}));

    // Without declarations: the Korean-looking class used, else the first used.
    EXPECT_EQ(sami::ChooseClass("<SYNC Start=1><P Class=ENCC>a<P Class=KRCC>b"), "KRCC");
    EXPECT_EQ(sami::ChooseClass("<SYNC Start=1><P Class=ENCC>a<P Class=JPCC>b"), "ENCC");
}

TEST(SamiReader, MarkupIsHandedOverWithSafeEntitiesOnly) {
    struct Row {
        std::string in, out;
    } rows[] = {
        {"<font color=\"#80ff80\">green</font> text", "<font color=\"#80ff80\">green</font> text"},
        {"a &lt;b&gt; c", "a &lt;b&gt; c"},
        {"Tom &amp; Jerry", "Tom & Jerry"},
        {"&amp;nbsp;", "&amp;nbsp;"},
        {"&quot;hi&quot; &#44032;&#xAC00; &hellip;", "\"hi\" 가가 …"},
        {"&#60;b&#62; &#x3C;", "&#60;b&#62; &#x3C;"},
        {"&unknown; &#0; &#xD800; & alone", "&unknown; &#0; &#xD800; & alone"},
        {"<font color=&quot;red&quot;>x", "<font color=&quot;red&quot;>x"},
    };
    for (const Row& r : rows) {
        const auto cues = sami::ParseSami("<SYNC Start=7><P Class=KRCC>" + r.in);
        ASSERT_EQ(cues.size(), 1u) << r.in;
        EXPECT_EQ(cues[0].markup, r.out) << r.in;
    }
}

TEST(SamiReader, CueIndexAt) {
    const std::vector<SamiCue> cues = {{100, "a"}, {200, "b"}, {200, "c"}, {500, "d"}};
    const std::pair<int64_t, int> rows[] = {{-5, -1}, {99, -1}, {100, 0},
                                            {200, 2}, {499, 2}, {1 << 30, 3}};
    for (auto [ms, index] : rows) EXPECT_EQ(sami::CueIndexAt(cues, ms), index) << ms;
    EXPECT_EQ(sami::CueIndexAt({}, 100), -1);
}

TEST(SamiReader, BadFilesGiveNoCues) {
    EXPECT_TRUE(sami::LoadSamiFile(TempPath("missing.smi")).empty());
    EXPECT_TRUE(sami::LoadSamiFile(::testing::TempDir()).empty());  // a directory

    const std::string empty = TempPath("empty.smi");
    WriteFile(empty, "");
    EXPECT_TRUE(sami::LoadSamiFile(empty).empty());

    std::string binary;
    for (int i = 0; i < 70000; ++i) binary += char((i * 7919) % 256);
    binary += "<SYNC Start=1><P>x";
    const std::string bin = TempPath("binary.smi");
    WriteFile(bin, binary);
    EXPECT_TRUE(sami::LoadSamiFile(bin).empty());

    const std::string huge = TempPath("huge.smi");
    WriteFile(huge, "<SYNC Start=1><P>x");
    ASSERT_EQ(truncate(huge.c_str(), sami::kMaxFileBytes + 1), 0);
    EXPECT_TRUE(sami::LoadSamiFile(huge).empty());

    for (const std::string& p : {empty, bin, huge}) std::remove(p.c_str());
}
