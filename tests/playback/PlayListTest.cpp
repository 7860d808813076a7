#include "playback/PlayList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using velmora::playback::ParseM3uEntries;
using velmora::playback::ResolveM3uEntry;
using Entries = std::vector<std::string>;

// A fresh folder for one test's playlist files, removed afterwards.
struct TempDir {
    std::string pattern = (fs::temp_directory_path() / "velmora-playlist-XXXXXX").string();
    fs::path path = ::mkdtemp(pattern.data());
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string Write(const std::string& name, std::string_view bytes) const {
        std::ofstream((path / name).string(), std::ios::binary) << bytes;
        return (path / name).string();
    }
};

TEST(PlayList, Navigation) {
    CPlayList list;
    EXPECT_EQ(list.Index(), -1);
    list.AssignSorted({"b.avi", "a.avi", "c.avi"});
    EXPECT_EQ(list.Entries(), (Entries{"a.avi", "b.avi", "c.avi"}));
    EXPECT_EQ(list.Index(), -1);

    const struct {
        char step;  // F first, N next, P previous
        const char* entry;
        int index;
        bool atLast;
    } steps[] = {
        {'F', "a.avi", 0, false}, {'N', "b.avi", 1, false}, {'N', "c.avi", 2, true},
        {'N', "a.avi", 0, false}, {'P', "c.avi", 2, true},  {'P', "b.avi", 1, false},
        {'P', "a.avi", 0, false}, {'P', "c.avi", 2, true},  {'F', "a.avi", 0, false},
    };
    for (const auto& s : steps) {
        const std::string got = s.step == 'F'   ? list.First()
                                : s.step == 'N' ? list.Next()
                                                : list.Previous();
        EXPECT_EQ(got, s.entry) << s.step;
        EXPECT_EQ(list.Index(), s.index);
        EXPECT_EQ(list.IsAtLast(), s.atLast);
    }

    // Next from a cleared index starts at the first entry.
    list.AssignSorted({"x", "y"});
    EXPECT_EQ(list.Next(), "x");

    list.Clear();
    EXPECT_EQ(list.Index(), -1);
    EXPECT_EQ(list.Count(), 0);
    // An empty list gives nothing and never points anywhere.
    EXPECT_EQ(list.First(), "");
    EXPECT_EQ(list.Next(), "");
    EXPECT_EQ(list.Previous(), "");
    EXPECT_EQ(list.Index(), -1);
    EXPECT_TRUE(list.IsAtLast());
}

TEST(PlayList, SortedSelectionIsBytewise) {
    CPlayList list;
    list.AssignSorted({"/v/가.avi", "/v/z.avi", "/v/B.avi", "/v/a.avi", "/v/a.avi"});
    EXPECT_EQ(list.Entries(),
              (Entries{"/v/B.avi", "/v/a.avi", "/v/a.avi", "/v/z.avi", "/v/가.avi"}));
    list.Append("/w/x.avi");
    EXPECT_EQ(list.Count(), 6);
}

TEST(PlayList, ParseEntries) {
    const struct {
        const char* name;
        std::string text;
        Entries entries;
    } rows[] = {
        {"blank line ends the list", "a.avi\n\nb.avi\n", {"a.avi"}},
        {"comment after trimming, padding", "  #x\n   c.avi  \t\n", {"c.avi"}},
        {"CRLF lines",
         "#EXTM3U\r\n#EXTINF:10,Title\r\n/v/a.avi\r\n/v/b.avi\r\n",
         {"/v/a.avi", "/v/b.avi"}},
        {"white-space-only line ends the list", "a\n \t\r\nb", {"a"}},
        {"inner blanks kept", " my movie.avi ", {"my movie.avi"}},
        {"lone CR is no line break", "a\rb\n", {"a\rb"}},
        {"only comments", "#a\n#b\n", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ParseM3uEntries(row.text), row.entries);
    }
}

TEST(PlayList, ResolveEntries) {
    const struct {
        const char* entry;
        const char* resolved;  // "" = skipped
    } rows[] = {
        {"a.avi", "/p/l/a.avi"},
        {"sub/../b c.avi", "/p/l/b c.avi"},
        {"ep1: pilot.avi", "/p/l/ep1: pilot.avi"},  // a colon alone makes no address
        {"/v/a.avi", "/v/a.avi"},
        {"HTTPS://host/a.mp4", "HTTPS://host/a.mp4"},
        {"mms://host/live", "mms://host/live"},
        {"rtsp://host:554/s", "rtsp://host:554/s"},
        {"file:///v/%EC%98%81%20x.avi", "/v/영 x.avi"},
        {"file://other/v/a.avi", ""},
        {"file:///v/%FF.avi", ""},
        {"file:///v/a%0Ab.avi", ""},
        {"av://lavfi:sine", ""},
        {"fd://0", ""},
        {"x-unknown+scheme://a", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ResolveM3uEntry(row.entry, "/p/l"), row.resolved) << row.entry;
}

TEST(PlayList, LoadM3uFiles) {
    TempDir dir;
    const std::string d = dir.path.string() + "/";
    const struct {
        const char* name;
        std::string bytes;
        Entries entries;
    } rows[] = {
        {"relative entries beside the playlist", "#EXTM3U\n  a.avi  \n\nb.avi\n", {d + "a.avi"}},
        {"BOM", "\xEF\xBB\xBF/v/영화.avi\n", {"/v/영화.avi"}},
        {"CP949",
         "/v/\xB0\xA1\xB3\xAA.avi\r\nhttp://h/b\r\nav://lavfi:x\r\n",
         {"/v/가나.avi", "http://h/b"}},
        {"UTF-16 with BOM", std::string("\xFF\xFE/\0v\0\n\0", 8), {"/v"}},
        {"empty file", "", {}},
        {"two undecodable bytes", "\xA2\xE8", {d + "\uFFFD"}},
        {"binary garbage", std::string("\0\xFF\xFE\x01\n\x80\x80", 7), {d + "\uFFFD\uFFFD"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CPlayList list;
        const int count = list.LoadM3u(dir.Write("list.m3u", row.bytes));
        EXPECT_EQ(count, int(row.entries.size()));
        EXPECT_EQ(list.Entries(), row.entries);
    }

    // Entries are appended to what the list holds.
    CPlayList list;
    list.Append("x.avi");
    EXPECT_EQ(list.LoadM3u(dir.Write("two.m3u", "/a\n/b\n")), 3);
    EXPECT_EQ(list.Entries(), (Entries{"x.avi", "/a", "/b"}));
}

TEST(PlayList, LoadM3uUnreadable) {
    TempDir dir;
    CPlayList list;
    list.Append("kept");
    EXPECT_EQ(list.LoadM3u((dir.path / "missing.m3u").string()), -1);
    EXPECT_EQ(list.LoadM3u(dir.path.string()), -1);  // a folder
    const std::string fifo = (dir.path / "fifo.m3u").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(list.LoadM3u(fifo), -1);  // would block forever if it were opened
    EXPECT_EQ(list.LoadM3u("/dev/zero"), -1);
    EXPECT_EQ(list.Entries(), Entries{"kept"});
    const std::string locked = dir.Write("locked.m3u", "a\n");
    ::chmod(locked.c_str(), 0);
    // Root reads it anyway; everyone else gets the same answer as for a missing file.
    if (!std::ifstream(locked).is_open()) {
        EXPECT_EQ(list.LoadM3u(locked), -1);
    }
}

TEST(PlayList, SizeBound) {
    // A playlist past the bound is read to its last whole line inside the bound.
    const std::string line = "/v/entry-with-a-long-name.avi\n";  // 30 bytes
    std::string bytes;
    while (bytes.size() < CPlayList::kMaxFileBytes) bytes += line;
    CPlayList list;
    const int count = list.LoadM3uBytes(bytes, "/");
    EXPECT_EQ(size_t(count), CPlayList::kMaxFileBytes / line.size());
    EXPECT_EQ(list.Entries().back(), "/v/entry-with-a-long-name.avi");
}

}  // namespace
