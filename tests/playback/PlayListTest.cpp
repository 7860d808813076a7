#include "playback/PlayList.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::string>;

// A fresh folder for one test's playlist files, removed afterwards.
struct TempDir {
    std::string pattern = (fs::temp_directory_path() / "velmora-playlist-XXXXXX").string();
    std::string path = ::mkdtemp(pattern.data());
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string Write(const std::string& name, std::string_view bytes) const {
        std::ofstream(path + "/" + name, std::ios::binary) << bytes;
        return path + "/" + name;
    }
};

TEST(PlayList, Navigation) {
    CPlayList list;
    list.AssignSorted({"b", "가", "B", "a", "a"});  // byte order
    EXPECT_EQ(list.Entries(), (Entries{"B", "a", "a", "b", "가"}));
    EXPECT_EQ(list.Index(), -1);
    EXPECT_EQ(list.Next(), "B");  // from no index to the first entry
    const struct {
        char step;  // F first, N next, P previous
        const char* entry;
        int index;
    } steps[] = {{'N', "a", 1}, {'P', "B", 0}, {'P', "가", 4}, {'N', "B", 0}, {'F', "B", 0}};
    for (const auto& s : steps) {
        const std::string got = s.step == 'F'   ? list.First()
                                : s.step == 'N' ? list.Next()
                                                : list.Previous();
        EXPECT_EQ(got, s.entry) << s.step;
        EXPECT_EQ(list.Index(), s.index);
        EXPECT_EQ(list.IsAtLast(), s.index == 4);
    }
    // An empty list gives nothing and never points anywhere.
    list.Clear();
    for (const std::string& got : {list.First(), list.Next(), list.Previous()}) EXPECT_EQ(got, "");
    EXPECT_EQ(list.Index(), -1);
    EXPECT_TRUE(list.IsAtLast());
}

TEST(PlayList, ResolveEntries) {
    const std::pair<const char*, const char*> entries[] = {
        {"sub/../b c.avi", "/p/l/b c.avi"},
        {"ep1: pilot.avi", "/p/l/ep1: pilot.avi"},  // a colon alone makes no address
        {"HTTPS://host/a.mp4", "HTTPS://host/a.mp4"},
        {"file:///v/%EC%98%81%20x.avi", "/v/영 x.avi"},
        // Skipped:
        {"file://other/v/a.avi", ""},
        {"file:///v/%FF.avi", ""},
        {"file:///v/a%0Ab.avi", ""},
    };
    for (const auto& [entry, resolved] : entries)
        EXPECT_EQ(velmora::playback::ResolveM3uEntry(entry, "/p/l"), resolved) << entry;
}

TEST(PlayList, LoadM3uFiles) {
    TempDir dir;
    const std::string d = dir.path + "/";
    const std::pair<std::string, Entries> rows[] = {
        {"#EXTM3U\n  #x\n  a.avi \t\n \t\r\nb.avi\n", {d + "a.avi"}},  // a blank line ends it
        {"a\rb\n", {d + "a\rb"}},                                      // a lone CR is no line break
        {"/v/\xB0\xA1\xB3\xAA.avi\r\nhttp://h/b\r\nav://lavfi:x\r\n",
         {"/v/가나.avi", "http://h/b"}},
        {"", {}},
        {"\xA2\xE8", {d + "\uFFFD"}},  // two undecodable bytes
        {std::string("\0\xFF\xFE\x01\n\x80\x80", 7), {d + "\uFFFD\uFFFD"}},
    };
    for (const auto& [bytes, entries] : rows) {
        CPlayList list;
        list.Append("kept");  // entries are appended; the result counts the whole list
        EXPECT_EQ(list.LoadM3u(dir.Write("list.m3u", bytes)), int(entries.size()) + 1) << bytes;
        Entries all{"kept"};
        all.insert(all.end(), entries.begin(), entries.end());
        EXPECT_EQ(list.Entries(), all) << bytes;
    }
}

TEST(PlayList, LoadM3uUnreadable) {
    TempDir dir;
    const std::string fifo = dir.path + "/fifo.m3u";  // would block forever if it were opened
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string locked = dir.Write("locked.m3u", "a\n");
    ::chmod(locked.c_str(), 0);
    CPlayList list;
    list.Append("kept");
    for (const std::string& path :
         {dir.path + "/missing.m3u", dir.path, fifo, std::string("/dev/zero"), locked}) {
        if (path == locked && std::ifstream(locked).is_open()) continue;  // root reads it anyway
        EXPECT_EQ(list.LoadM3u(path), -1) << path;
    }
    EXPECT_EQ(list.Entries(), Entries{"kept"});
}

TEST(PlayList, SizeBound) {
    // A playlist past the bound is read to its last whole line inside the bound.
    const std::string line = "/v/entry-with-a-long-name.avi\n";
    std::string bytes;
    while (bytes.size() < CPlayList::kMaxFileBytes) bytes += line;
    CPlayList list;
    EXPECT_EQ(size_t(list.LoadM3uBytes(bytes, "/")), CPlayList::kMaxFileBytes / line.size());
    EXPECT_EQ(list.Entries().back() + "\n", line);
}

}  // namespace
