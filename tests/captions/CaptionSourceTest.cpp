#include "captions/CaptionSource.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
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
    const struct {
        const char* path;
        bool network;
    } rows[] = {
        {"mms://host/stream", true},
        {"http://host/a.asf", true},
        {"http:", true},
        {"MMS://host/stream", false},
        {"https://host/a.mp4", false},
        {"/home/http:/a.avi", false},
        {"", false},
    };
    for (const auto& row : rows) EXPECT_EQ(IsNetworkAddress(row.path), row.network) << row.path;
}

TEST(CaptionSource, CandidateNames) {
    const struct {
        const char* media;
        std::optional<std::string> candidate;
    } rows[] = {
        {"/v/movie.avi", "/v/movie.smi"},   {"/v/movie.part1.avi", "/v/movie.part1.smi"},
        {"movie.avi", "movie.smi"},         {"/영화/첫 편.avi", "/영화/첫 편.smi"},
        {"/v1.2/movie", "/v1.2/movie.smi"},  // the dot of a folder is no extension
        {"/v/.movie", "/v/.movie.smi"},      // nor the leading dot of a hidden file
        {"/v/movie", std::nullopt},         {"", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(CaptionCandidate(row.media), row.candidate) << row.media;
}

TEST(CaptionSource, Folders) {
    EXPECT_EQ(FolderOf("/v/sub/movie.avi"), "/v/sub");
    EXPECT_EQ(FolderOf("/movie.avi"), "");
    EXPECT_EQ(FolderOf("movie.avi"), std::nullopt);
    EXPECT_EQ(FolderOf("C:\\v\\movie.avi"), std::nullopt);  // "\" is a file name byte here
}

TEST(CaptionSource, FindCaptionFile) {
    const struct {
        const char* name;
        std::set<std::string> files;
        const char* media;
        const char* folder;
        const char* found;
    } rows[] = {
        {"beside the medium", {"/v/movie.smi"}, "/v/movie.avi", "", "/v/movie.smi"},
        {"beside wins over the folder",
         {"/v/movie.smi", "/subs/movie.smi"},
         "/v/movie.avi",
         "/subs",
         "/v/movie.smi"},
        {"default folder", {"/subs/movie.smi"}, "/v/movie.avi", "/subs", "/subs/movie.smi"},
        {"default folder with trailing slash",
         {"/subs/movie.smi"},
         "/v/movie.avi",
         "/subs/",
         "/subs/movie.smi"},
        {"one-character folder is not searched", {"s/movie.smi"}, "/v/movie.avi", "s", ""},
        {"root folder is not searched", {"/movie.smi"}, "/v/movie.avi", "/", ""},
        {"one Korean character is one character", {"자/movie.smi"}, "/v/movie.avi", "자", ""},
        {"two Korean characters are searched",
         {"자막/movie.smi"},
         "/v/movie.avi",
         "자막",
         "자막/movie.smi"},
        {"bare name in the default folder",
         {"/subs/movie.smi"},
         "movie.avi",
         "/subs",
         "/subs/movie.smi"},
        {".sami is never found by name", {"/v/movie.sami"}, "/v/movie.avi", "/v", ""},
        {"no dot, nothing asked", {"/v/movie.smi"}, "/v/movie", "/subs", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFiles fs{row.files, {}};
        EXPECT_EQ(FindCaptionFile(row.media, row.folder, fs.Exists()), row.found);
    }

    // Beside first, then the folder.
    FakeFiles fs;
    FindCaptionFile("/v/movie.avi", "/subs", fs.Exists());
    EXPECT_EQ(fs.asked, (std::vector<std::string>{"/v/movie.smi", "/subs/movie.smi"}));
}

TEST(CaptionSource, PlanOpenMedia) {
    using Action = OpenMediaPlan::Action;
    const struct {
        const char* name;
        std::set<std::string> files;
        const char* path;
        Action action;
        bool setCaption;
        const char* caption;
        std::optional<std::string> lastFolder;
    } rows[] = {
        {"local movie with caption beside",
         {"/v/m.avi", "/v/m.smi"},
         "/v/m.avi",
         Action::LoadFile,
         true,
         "/v/m.smi",
         "/v"},
        {"local movie without caption", {"/v/m.avi"}, "/v/m.avi", Action::LoadFile, true, "", "/v"},
        {"relative local movie", {"m.avi"}, "m.avi", Action::LoadFile, true, "", std::nullopt},
        {"network address keeps the caption",
         {},
         "http://h/m.avi",
         Action::OpenAddress,
         false,
         "",
         std::nullopt},
        {"capital prefix takes the local route",
         {},
         "HTTP://h/m.avi",
         Action::OpenAddress,
         true,
         "",
         std::nullopt},
        {"missing file is opened as an address",
         {"/gone/m.smi"},
         "/gone/m.avi",
         Action::OpenAddress,
         true,
         "/gone/m.smi",
         std::nullopt},
        {"no dot opens nothing",
         {"/v/movie"},
         "/v/movie",
         Action::Nothing,
         false,
         "",
         std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FakeFiles fs{row.files, {}};
        const OpenMediaPlan plan = PlanOpenMedia(row.path, "/subs", fs.Exists());
        EXPECT_EQ(plan.action, row.action);
        EXPECT_EQ(plan.setCaption, row.setCaption);
        EXPECT_EQ(plan.captionFile, row.caption);
        EXPECT_EQ(plan.lastFolder, row.lastFolder);
        if (row.action != Action::Nothing) {
            EXPECT_EQ(plan.target, row.path);
        }
        if (!row.setCaption) {
            EXPECT_TRUE(fs.asked.empty());
        }
    }
}

TEST(CaptionSource, DroppedFileKinds) {
    const struct {
        const char* path;
        DropKind kind;
    } rows[] = {
        {"/a/자막.SMI", DropKind::Caption},
        {"/a/b.Sami", DropKind::Caption},
        {"/a/list.M3U", DropKind::Playlist},
        {"/a/list.m3u8", DropKind::Media},
        {"/a/b.smi.avi", DropKind::Media},
        {"/a/kismi", DropKind::Media},
        {"", DropKind::Media},
    };
    for (const auto& row : rows) EXPECT_EQ(ClassifyDroppedFile(row.path), row.kind) << row.path;
}

TEST(CaptionSource, FileUrls) {
    const struct {
        const char* url;
        std::optional<std::string> path;
    } rows[] = {
        {"file:///home/u/a.avi", "/home/u/a.avi"},
        {"FILE:///a", "/a"},
        {"file://localhost/a/b", "/a/b"},
        {"file:/a/b", "/a/b"},
        {"file:///a%20b/%EC%98%81%ED%99%94.avi", "/a b/영화.avi"},
        {"file:///a%2", "/a%2"},
        {"file:///a%00b", std::nullopt},
        {"file:///a%23b#frag", "/a#b"},
        {"file://server/share/a", std::nullopt},
        {"file:relative", std::nullopt},
        {"http://h/a", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(FileUrlToPath(row.url), row.path) << row.url;
}

TEST(CaptionSource, SymlinksOpenTheTargetUnlessOnlyTheLinkNamesTheKind) {
    const struct {
        const char *link, *target, *opened;
    } rows[] = {
        {"/v/movie.mp4", "/store/abc123", "/v/movie.mp4"},
        {"/v/movie", "/store/film.avi", "/store/film.avi"},
        {"/v/movie.mp4", "/store/film.avi", "/store/film.avi"},
        {"/v/movie", "/store.d/abc123", "/store.d/abc123"},  // neither name has a dot
    };
    for (const auto& row : rows) EXPECT_EQ(SymlinkPathToOpen(row.link, row.target), row.opened);
}

TEST(CaptionSource, DesktopLinkTargets) {
    const struct {
        const char* name;
        std::string text;
        std::optional<std::string> target;
    } rows[] = {
        {"file link", "[Desktop Entry]\nType=Link\nURL=file:///v/m%201.avi\n", "/v/m 1.avi"},
        {"plain path", "[Desktop Entry]\nURL=/v/m.avi\nType=Link\n", "/v/m.avi"},
        {"network link", "[Desktop Entry]\nType=Link\nURL=http://h/m.asf\n", "http://h/m.asf"},
        {"CRLF, BOM, comments, blanks around =",
         "\xEF\xBB\xBF# link\r\n[Desktop Entry]\r\nType = Link\r\nURL = file:///v/m.avi\r\n",
         "/v/m.avi"},
        {"escaped value", "[Desktop Entry]\nType=Link\nURL=/v/a\\sb\\\\c.avi\n", "/v/a b\\c.avi"},
        {"localized URL ignored", "[Desktop Entry]\nType=Link\nURL[ko]=/x\nURL=/y\n", "/y"},
        {"application entry", "[Desktop Entry]\nType=Application\nURL=/v/m.avi\n", std::nullopt},
        {"URL in another group", "[Desktop Entry]\nType=Link\n[Other]\nURL=/v/m.avi\n",
         std::nullopt},
        {"no group", "Type=Link\nURL=/v/m.avi\n", std::nullopt},
        {"empty URL", "[Desktop Entry]\nType=Link\nURL=\n", std::nullopt},
        {"remote file URL", "[Desktop Entry]\nType=Link\nURL=file://h/m.avi\n", std::nullopt},
        {"binary garbage", std::string("\0\xff[\n=\\", 7), std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ParseDesktopLinkTarget(row.text), row.target);
    }
}

}  // namespace
