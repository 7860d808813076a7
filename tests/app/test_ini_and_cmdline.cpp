#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/IniText.h"

namespace {

TEST(IniText, RoundTripsKoreanNamesAndAwkwardValues) {
    ini::Sections in;
    in["설정"]["인스턴스"] = "/run/user/0/velmora-1.sock";
    in["폰트"]["이름"] = "굴림";
    in["Folder"]["Last"] = "/영화/a b/\"q\"; x=y [z]";
    in["Folder"]["Sami"] = "  leading and trailing  ";
    in["edge"]["back\\slash"] = "line1\nline2\r\tend\\";
    in["edge"]["=key"] = "=value";
    in["edge"]["[notsection"] = "";
    in["edge"][";notcomment"] = "#notcomment";
    in[""]["general"] = "1";
    const ini::ParseResult out = ini::Parse(ini::Write(in));
    EXPECT_FALSE(out.damaged);
    EXPECT_EQ(out.sections, in);
}

TEST(IniText, ReadsHandWrittenFilesAndFlagsDamage) {
    struct Row {
        const char* text;
        bool damaged;
        const char* section;
        const char* key;
        const char* value;  // nullptr: the key must be absent
    };
    const Row rows[] = {
        {"[폰트]\n크기비율 = 30 \n", false, "폰트", "크기비율", "30"},
        {"\xEF\xBB\xBF[a]\r\nk=v\r\n", false, "a", "k", "v"},
        {"; comment\n# comment\n\n[a]\nk=v", false, "a", "k", "v"},
        {"[a]\nk=1\nk=2\n", false, "a", "k", "2"},
        {"[a]\nno separator\nk=v\n", true, "a", "k", "v"},
        {"[a]\nk=v\xFF\xFE\n", true, "a", "k", nullptr},
        {"[a]\nk=\xED\xA0\x80\n", true, "a", "k", nullptr},  // encoded surrogate
        {"[a\nk=v\n", true, "a", "k", nullptr},
        {"[a]\nk=bad\\q\n", true, "a", "k", nullptr},
        {"[a]\n=v\n", true, "a", "", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const ini::ParseResult r = ini::Parse(row.text);
        EXPECT_EQ(r.damaged, row.damaged);
        const auto sec = r.sections.find(row.section);
        const bool present = sec != r.sections.end() && sec->second.count(row.key);
        EXPECT_EQ(present, row.value != nullptr);
        if (present && row.value) {
            EXPECT_EQ(sec->second.at(row.key), row.value);
        }
    }
    const std::string withNul("[a]\nk=v\0w\nx=y\n", 15);
    const ini::ParseResult r = ini::Parse(withNul);
    EXPECT_TRUE(r.damaged);
    EXPECT_EQ(r.sections.at("a").at("x"), "y");
}

TEST(IniText, ToIntAcceptsOnlyWholeNumbers) {
    int v = 0;
    EXPECT_TRUE(ini::ToInt(" -12 ", &v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(ini::ToInt("+7", &v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(ini::ToInt("-2147483648", &v));
    EXPECT_EQ(v, INT32_MIN);
    for (const char* bad : {"", "abc", "12x", "0x10", "2147483648", "1.5", "- 1"})
        EXPECT_FALSE(ini::ToInt(bad, &v)) << bad;
}

TEST(CommandLine, FirstArgumentThatIsNotASwitchIsTheFile) {
    const auto none = [](const std::string&) { return false; };
    const auto exists = [](const std::string& p) { return p == "/movie"; };
    struct Row {
        std::vector<std::string> args;
        std::function<bool(const std::string&)> exists;
        std::optional<std::string> path;
    };
    const Row rows[] = {
        {{}, none, std::nullopt},
        {{"a.avi"}, none, "a.avi"},
        {{"-x", "/y", "a.avi", "b.avi"}, none, "a.avi"},
        {{"/home/me/영화 1.avi"}, none, "/home/me/영화 1.avi"},  // an absolute path
        {{"/movie"}, exists, "/movie"},                          // a file at the root
        {{"/movie"}, none, std::nullopt},                        // otherwise a switch
        {{"mms://host/stream"}, none, "mms://host/stream"},
        {{"/p", "a.avi"}, none, std::nullopt},  // printing is not opening
        {{"a.avi", "/PT", "printer", "driver", "port"}, none, std::nullopt},
        {{"-dde"}, none, std::nullopt},
        {{"/Unregister", "a.avi"}, none, std::nullopt},
        {{"/Embedding", "a.avi"}, none, "a.avi"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(cmdline::Parse(row.args, row.exists).path, row.path)
            << (row.args.empty() ? "" : row.args.front());
    }
}

}  // namespace
