#include "captions/CaptionSource.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace velmora::captions;

// A file system of the listed paths that records what was asked.
struct FakeFiles {
    std::set<std::string> files;
    std::vector<std::string> asked;
    FileExists Exists() {
        return [this](const std::string& path) {
            asked.push_back(path);
            return files.contains(path);
        };
    }
};

TEST(CaptionSource, NetworkAddresses) {
    for (const char* path : {"mms://host/stream", "http://host/a.asf", "http:"})
        EXPECT_TRUE(IsNetworkAddress(path)) << path;
    for (const char* path : {"MMS://host/stream", "https://host/a.mp4", "/home/http:/a.avi", ""})
        EXPECT_FALSE(IsNetworkAddress(path)) << path;
}

TEST(CaptionSource, CandidateNames) {
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"/v/movie.avi", "/v/movie.smi"},   {"/v/movie.part1.avi", "/v/movie.part1.smi"},
        {"movie.avi", "movie.smi"},         {"/영화/첫 편.avi", "/영화/첫 편.smi"},
        {"/v1.2/movie", "/v1.2/movie.smi"},  // the dot of a folder is no extension
        {"/v/.movie", "/v/.movie.smi"},      // nor the leading dot of a hidden file
        {"/v/movie", std::nullopt},         {"", std::nullopt},
    };
    for (const auto& [media, candidate] : rows)
        EXPECT_EQ(CaptionCandidate(media), candidate) << media;
}

TEST(CaptionSource, FindCaptionFile) {
    // Files, medium, default folder, the file found (beside the medium first, then the folder).
    const std::tuple<std::set<std::string>, const char*, const char*, const char*> rows[] = {
        {{"/v/movie.smi"}, "/v/movie.avi", "", "/v/movie.smi"},
        {{"/v/movie.smi", "/subs/movie.smi"}, "/v/movie.avi", "/subs", "/v/movie.smi"},
        {{"/subs/movie.smi"}, "/v/movie.avi", "/subs/", "/subs/movie.smi"},
        {{"/subs/movie.smi"}, "movie.avi", "/subs", "/subs/movie.smi"},
        {{"/movie.smi"}, "/v/movie.avi", "/", ""},  // a one-character folder is not searched
        {{"자/movie.smi"}, "/v/movie.avi", "자", ""},
        {{"/v/movie.sami"}, "/v/movie.avi", "/v", ""},
        {{"/v/movie.smi"}, "/v/movie", "/subs", ""},
    };
    for (const auto& [files, media, folder, found] : rows) {
        SCOPED_TRACE(std::string(media) + " in " + folder);
        FakeFiles fs{files, {}};
        EXPECT_EQ(FindCaptionFile(media, folder, fs.Exists()), found);
    }
}

TEST(CaptionSource, PlanOpenMedia) {
    using A = OpenMediaPlan::Action;
    // Files, path; the action, whether the caption file is set, to what, and the last folder.
    using Row = std::tuple<std::set<std::string>, const char*, A, bool, const char*,
                           std::optional<std::string>>;
    const Row rows[] = {
        {{"/v/m.avi", "/v/m.smi"}, "/v/m.avi", A::LoadFile, true, "/v/m.smi", "/v"},
        {{"/v/m.avi"}, "/v/m.avi", A::LoadFile, true, "", "/v"},
        {{"m.avi"}, "m.avi", A::LoadFile, true, "", {}},
        {{}, "http://h/m.avi", A::OpenAddress, false, "", {}},  // keeps the caption
        {{"/gone/m.smi"}, "/gone/m.avi", A::OpenAddress, true, "/gone/m.smi", {}},
        {{"/v/movie"}, "/v/movie", A::Nothing, false, "", {}},
    };
    for (const auto& [files, path, action, setCaption, caption, lastFolder] : rows) {
        SCOPED_TRACE(path);
        FakeFiles fs{files, {}};
        const OpenMediaPlan plan = PlanOpenMedia(path, "/subs", fs.Exists());
        EXPECT_EQ(std::tuple(plan.action, plan.setCaption, plan.captionFile, plan.lastFolder),
                  std::tuple(action, setCaption, caption, lastFolder));
        EXPECT_EQ(plan.target, action == A::Nothing ? plan.target : path);
        EXPECT_TRUE(setCaption || fs.asked.empty());  // an address never touches the disk
    }
}

TEST(CaptionSource, DroppedFileKinds) {
    for (const char* path : {"/a/자막.SMI", "/a/b.Sami"})
        EXPECT_EQ(ClassifyDroppedFile(path), DropKind::Caption) << path;
    EXPECT_EQ(ClassifyDroppedFile("/a/list.M3U"), DropKind::Playlist);
    for (const char* path : {"/a/list.m3u8", "/a/b.smi.avi", "/a/kismi", ""})
        EXPECT_EQ(ClassifyDroppedFile(path), DropKind::Media) << path;
}

TEST(CaptionSource, FileUrls) {
    const std::pair<const char*, const char*> rows[] = {
        {"file:///home/u/a.avi", "/home/u/a.avi"},
        {"FILE:///a", "/a"},
        {"file://localhost/a/b", "/a/b"},
        {"file:/a/b", "/a/b"},
        {"file:///a%20b/%EC%98%81%ED%99%94.avi", "/a b/영화.avi"},
        {"file:///a%2", "/a%2"},
        {"file:///a%23b#frag", "/a#b"},
    };
    for (const auto& [url, path] : rows) EXPECT_EQ(FileUrlToPath(url), path) << url;
    for (const char* url :
         {"file:///a%00b", "file://server/share/a", "file:relative", "http://h/a"})
        EXPECT_EQ(FileUrlToPath(url), std::nullopt) << url;
}

TEST(CaptionSource, SymlinksOpenTheTargetUnlessOnlyTheLinkNamesTheKind) {
    // Link, target, the path opened.
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"/v/movie.mp4", "/store/abc123", "/v/movie.mp4"},
        {"/v/movie", "/store/film.avi", "/store/film.avi"},
        {"/v/movie", "/store.d/abc123", "/store.d/abc123"},  // neither name has a dot
    };
    for (const auto& [link, target, opened] : rows)
        EXPECT_EQ(SymlinkPathToOpen(link, target), opened);
}

TEST(CaptionSource, DesktopLinkTargets) {
    const std::pair<std::string, const char*> rows[] = {
        {"[Desktop Entry]\nURL=/v/m.avi\nType=Link\n", "/v/m.avi"},
        {"[Desktop Entry]\nType=Link\nURL=http://h/m.asf\n", "http://h/m.asf"},
        {"\xEF\xBB\xBF# link\r\n[Desktop Entry]\r\nType = Link\r\nURL = file:///v/m.avi\r\n",
         "/v/m.avi"},
        {"[Desktop Entry]\nType=Link\nURL=/v/a\\sb\\\\c.avi\n", "/v/a b\\c.avi"},
        {"[Desktop Entry]\nType=Link\nURL[ko]=/x\nURL=/y\n", "/y"},
    };
    for (const auto& [text, target] : rows) EXPECT_EQ(ParseDesktopLinkTarget(text), target) << text;
    // An application, a URL in another group or none, an empty or remote URL, garbage.
    const std::string bad[] = {
        "[Desktop Entry]\nType=Application\nURL=/v/m.avi\n",
        "[Desktop Entry]\nType=Link\n[Other]\nURL=/v/m.avi\n",
        "Type=Link\nURL=/v/m.avi\n",
        "[Desktop Entry]\nType=Link\nURL=\n",
        "[Desktop Entry]\nType=Link\nURL=file://h/m.avi\n",
        std::string("\0\xff[\n=\\", 7),
    };
    for (const std::string& text : bad)
        EXPECT_EQ(ParseDesktopLinkTarget(text), std::nullopt) << text;
}

}  // namespace
