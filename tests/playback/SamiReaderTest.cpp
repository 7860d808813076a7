// SAMI reader: files, block splitting, language classes, markup hand-over, cue lookup.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "captions/CaptionParser.h"
#include "captions/SamiReader.h"

using sami::SamiCue;
using Cues = std::vector<SamiCue>;

TEST(SamiReader, FilesAreDecodedOrRefused) {
    // UTF-16 holds zero bytes, so the check for binary files must come after decoding.
    std::string utf16, binary;
    for (char c : std::string_view("<SYNC Start=1><P>a<SYNC Start=2><P>b")) utf16 += {c, '\0'};
    for (int i = 0; i < 70000; ++i) binary += char((i * 7919) % 256);
    const std::pair<std::string, Cues> rows[] = {
        {utf16, {{1, "a"}, {2, "b"}}},
        {"", {}},
        {binary + "<SYNC Start=1><P>x", {}},
        {"<SYNC Start=1><P>\xB0\xA1\xB3\xAA", {{1, "가나"}}},  // CP949
    };
    const std::string path = ::testing::TempDir() + "/sami-" + std::to_string(getpid()) + ".smi";
    for (const auto& [bytes, cues] : rows) {
        std::ofstream(path, std::ios::binary) << bytes;
        EXPECT_EQ(sami::LoadSamiFile(path), cues) << bytes.size();
    }
    ASSERT_EQ(truncate(path.c_str(), sami::kMaxFileBytes + 1), 0);  // too large
    EXPECT_TRUE(sami::LoadSamiFile(path).empty());
    std::remove(path.c_str());
    EXPECT_TRUE(sami::LoadSamiFile(path).empty());                  // missing
    EXPECT_TRUE(sami::LoadSamiFile(::testing::TempDir()).empty());  // a folder
}

TEST(SamiReader, HugeBlockIsCutToWholeCharacters) {
    // One block of 9 MB would stall the caption layout. The cut falls before a split character.
    std::string text = "<SYNC Start=1><P>";
    for (int i = 0; i < 3'000'000; ++i) text += "가";
    const auto cues = sami::ParseSami(text);
    ASSERT_EQ(cues.size(), 1u);
    EXPECT_EQ(cues[0].markup.size(), CCaptionParser::kMaxFragmentBytes / 3 * 3);
}

TEST(SamiReader, BlocksAreSplitTolerantly) {
    const std::pair<std::string, Cues> rows[] = {
        {"<sami><body><sync start=100><p class=krcc>a<sync start=200><p>b</p></sync></body>",
         {{100, "a"}, {200, "b"}}},
        {"<SYNC Start = \"100\"><P>a<SYNC START='200ms'><P>b<SYNC Start=x><P>c",
         {{100, "a"}, {200, "b"}}},
        {"<SYNC Start=100><P>a<!-- <SYNC Start=150><P>hidden -->b<SYNC Start=200><P>c",
         {{100, "ab"}, {200, "c"}}},
        // Equal starts: the later block wins; out of order: sorted.
        {"<SYNC Start=300><P>first<SYNC Start=100><P>x<SYNC Start=300><P>second",
         {{100, "x"}, {300, "second"}}},
        {"<SYNC Start=100><P>a<SYNC Start=200><P>&nbsp;<SYNC Start=300></SYNC>",
         {{100, "a"}, {200, "&nbsp;"}, {300, ""}}},
        {"<SYNC Start=1><P>\r\n one\r\ntwo\nthree\r \n", {{1, "one two three"}}},
        {"<SYNC Start=5<P>a", {{5, "a"}}},  // a tag missing its '>'
        {"<SYNC Start=1><P>a</BODY>junk", {{1, "a"}}},
    };
    for (const auto& [text, cues] : rows) EXPECT_EQ(sami::ParseSami(text), cues) << text;
}

TEST(SamiReader, LanguageClassIsChosen) {
    const std::string twoClasses =
        "<STYLE><!-- .ENUSCC { Name:English; lang:en-US; } .KRCC { Name:Korean; lang:ko-KR; } "
        "--></STYLE><BODY><SYNC Start=100><P Class=ENUSCC>hello<P Class=KRCC>안녕"
        "<SYNC Start=200><P Class=ENUSCC>only english<SYNC Start=300><P>both</P>"
        "<SYNC Start=400><P Class=krcc>소문자</BODY>";
    EXPECT_EQ(sami::ParseSami(twoClasses), (Cues{{100, "안녕"}, {300, "both"}, {400, "소문자"}}));
    const std::string noKorean =
        "<STYLE>.FRCC { lang:fr-FR; } .ENCC { lang:en-US; }</STYLE>"
        "<SYNC Start=1><P Class=ENCC>en<P Class=FRCC>fr";
    EXPECT_EQ(sami::ParseSami(noKorean), (Cues{{1, "fr"}}));
    // Without declarations: the Korean-looking class used, else the first used.
    EXPECT_EQ(sami::ChooseClass("<SYNC Start=1><P Class=ENCC>a<P Class=KRCC>b"), "KRCC");
    EXPECT_EQ(sami::ChooseClass("<SYNC Start=1><P Class=ENCC>a<P Class=JPCC>b"), "ENCC");
}

TEST(SamiReader, MarkupIsHandedOverWithSafeEntitiesOnly) {
    const std::pair<std::string, std::string> rows[] = {
        {"<font color=\"#80ff80\">green</font> text", "<font color=\"#80ff80\">green</font> text"},
        {"a &lt;b&gt; &#60;b&#62; &#x3C;", "a &lt;b&gt; &#60;b&#62; &#x3C;"},
        {"Tom &amp; Jerry &amp;nbsp;", "Tom & Jerry &amp;nbsp;"},
        {"&quot;hi&quot; &#44032;&#xAC00; &hellip;", "\"hi\" 가가 …"},
        {"&unknown; &#0; &#xD800; & alone", "&unknown; &#0; &#xD800; & alone"},
        {"<font color=&quot;red&quot;>x", "<font color=&quot;red&quot;>x"},
    };
    for (const auto& [in, out] : rows)
        EXPECT_EQ(sami::ParseSami("<SYNC Start=7><P Class=KRCC>" + in), (Cues{{7, out}})) << in;
}

TEST(SamiReader, CueIndexAt) {
    const Cues cues = {{100, "a"}, {200, "b"}, {200, "c"}, {500, "d"}};
    const std::pair<int64_t, int> rows[] = {{-5, -1}, {99, -1}, {100, 0},
                                            {200, 2}, {499, 2}, {1 << 30, 3}};
    for (auto [ms, index] : rows) EXPECT_EQ(sami::CueIndexAt(cues, ms), index) << ms;
    EXPECT_EQ(sami::CueIndexAt({}, 100), -1);
}
