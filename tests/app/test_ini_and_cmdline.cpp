#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include "app/CommandLine.h"
#include "app/IniText.h"

namespace {

TEST(IniText, ReadsHandWrittenFilesAndFlagsDamage) {
    using namespace std::string_view_literals;
    // Text, damaged, section, key, value (nullptr: the key must be absent).
    const std::tuple<std::string_view, bool, const char*, const char*, const char*> rows[] = {
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
        {"[a]\nk=v\0w\nx=y\n"sv, true, "a", "x", "y"},
    };
    for (const auto& [text, damaged, section, key, value] : rows) {
        SCOPED_TRACE(text);
        const ini::ParseResult r = ini::Parse(text);
        EXPECT_EQ(r.damaged, damaged);
        const auto sec = r.sections.find(section);
        const bool present = sec != r.sections.end() && sec->second.count(key);
        EXPECT_EQ(present, value != nullptr);
        if (present && value) {
            EXPECT_EQ(sec->second.at(key), value);
        }
    }
}

TEST(IniText, ToIntAcceptsOnlyWholeNumbers) {
    for (const auto& [text, value] :
         {std::pair<const char*, int>{" -12 ", -12}, {"+7", 7}, {"-2147483648", INT32_MIN}}) {
        int v = 0;
        EXPECT_TRUE(ini::ToInt(text, &v) && v == value) << text;
    }
    int v = 0;
    for (const char* bad : {"", "abc", "12x", "0x10", "2147483648", "1.5", "- 1"})
        EXPECT_FALSE(ini::ToInt(bad, &v)) << bad;
}

TEST(CommandLine, FirstArgumentThatIsNotASwitchIsTheFile) {
    const auto exists = [](const std::string& p) { return p == "/movie"; };
    const std::pair<std::vector<std::string>, std::optional<std::string>> rows[] = {
        {{}, std::nullopt},
        {{"a.avi"}, "a.avi"},
        {{"-x", "/y", "a.avi", "b.avi"}, "a.avi"},
        {{"/home/me/영화 1.avi"}, "/home/me/영화 1.avi"},  // an absolute path
        {{"/movie"}, "/movie"},                            // a file at the root
        {{"/film"}, std::nullopt},                         // otherwise a switch
        {{"mms://host/stream"}, "mms://host/stream"},
        {{"/p", "a.avi"}, std::nullopt},  // printing is not opening
        {{"a.avi", "/PT", "printer", "driver", "port"}, std::nullopt},
        {{"/Unregister", "a.avi"}, std::nullopt},
        {{"/Embedding", "a.avi"}, "a.avi"},
    };
    for (const auto& [args, path] : rows)
        EXPECT_EQ(cmdline::Parse(args, exists).path, path) << (args.empty() ? "" : args.front());
}

}  // namespace
