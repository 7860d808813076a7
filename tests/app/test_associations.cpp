// File associations on the freedesktop store: mimeapps.list edited line by line, the desktop
// entry's Exec quoting, atomic writes through links and refusals of read-only files, and the
// association rules checked by independent readers (xdg-mime, gio) in a private XDG home.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "app/Associations.h"
#include "app/IniText.h"
#include "app/MimeApps.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kOurs = "velmora-file.desktop";
constexpr const char* kAvi = "video/x-msvideo";

TEST(MimeApps, DefaultOwnerIsTheFirstIdOfTheFirstDefaultEntry) {
    const std::pair<const char*, const char*> rows[] = {
        {"[Default Applications]\r\nvideo/x-msvideo = ;a.desktop\r\n", "a.desktop"},
        {"[Default Applications]\nvideo/x-msvideo=\nvideo/x-msvideo=b.desktop\n", ""},
    };
    for (const auto& [text, owner] : rows)
        EXPECT_EQ(mimeapps::DefaultFor(text, kAvi), owner) << text;
}

// Associating puts the player first; restoring with the owner found before gives the text back
// (byte for byte where the type had an owner).
TEST(MimeApps, AssociateAndRestoreEditOnlyTheirEntry) {
    // Case, text before, associated, restored (empty: the text before).
    const std::tuple<const char*, std::string, std::string, std::string> rows[] = {
        {"owned",
         "# mine\n[Default Applications]\nvideo/x-msvideo2=z;\nvideo/x-msvideo=o.desktop;\n",
         "# mine\n[Default "
         "Applications]\nvideo/x-msvideo2=z;\nvideo/x-msvideo=velmora-file.desktop;o.desktop;\n",
         ""},
        {"crlf, no closing ; or final line end, other groups",
         "[Added Associations]\r\nvideo/x-msvideo=a.desktop;\r\n[Default Applications]\r\n"
         "video/x-msvideo = o.desktop\r\nx=y",
         "[Added Associations]\r\nvideo/x-msvideo=a.desktop;\r\n[Default Applications]\r\n"
         "video/x-msvideo = velmora-file.desktop;o.desktop\r\nx=y",
         ""},
        {"player already later in the list",
         "[Default Applications]\nvideo/x-msvideo=o;velmora-file.desktop;b;\n",
         "[Default Applications]\nvideo/x-msvideo=velmora-file.desktop;o;b;\n",
         "[Default Applications]\nvideo/x-msvideo=o;b;\n"},
        {"duplicate entries and ids",
         "[Default Applications]\nvideo/x-msvideo=o;b;o;\nvideo/x-msvideo=b;\n",
         "[Default "
         "Applications]\nvideo/x-msvideo=velmora-file.desktop;o;b;o;\nvideo/"
         "x-msvideo=velmora-file.desktop;b;\n",
         ""},
        {"empty file", "", "[Default Applications]\nvideo/x-msvideo=velmora-file.desktop;\n",
         "[Default Applications]\n"},
        {"group header without line end", "[Default Applications]",
         "[Default Applications]\nvideo/x-msvideo=velmora-file.desktop;\n",
         "[Default Applications]\n"},
        {"no default group, malformed lines kept", "junk \x01\xff\r\n[Default Applications\r\nk=v",
         "junk \x01\xff\r\n[Default Applications\r\nk=v\r\n\r\n[Default Applications]\r\n"
         "video/x-msvideo=velmora-file.desktop;\r\n",
         "junk \x01\xff\r\n[Default Applications\r\nk=v\r\n\r\n[Default Applications]\r\n"},
    };
    for (const auto& [name, before, associated, restored] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(mimeapps::SetFirst(before, kAvi, kOurs), associated);
        EXPECT_EQ(mimeapps::SetFirst(associated, kAvi, kOurs), associated);
        EXPECT_EQ(mimeapps::Restore(associated, kAvi, kOurs, mimeapps::DefaultFor(before, kAvi)),
                  restored.empty() ? before : restored);
    }
    // Restoring a type another program leads leaves it alone.
    const std::string other = "[Default Applications]\nvideo/x-msvideo=o;velmora-file.desktop;\n";
    EXPECT_EQ(mimeapps::Restore(other, kAvi, kOurs, "b"), other);
}

TEST(MimeApps, ExecQuotesAnyProgramPath) {
    const struct {
        const char* program;
        const char* exec;
    } rows[] = {
        {"/usr/bin/velmora", "/usr/bin/velmora"},
        {"/opt/플레이어/velmora%1", "/opt/플레이어/velmora%%1"},
        {"/opt/내 프로그램/velmora", R"("/opt/내 프로그램/velmora")"},
        {"/a\tb\nc", R"("/a\tb\nc")"},
    };
    for (const auto& row : rows) EXPECT_EQ(mimeapps::ExecArgument(row.program), row.exec);
}

// A private folder, removed at the end.
struct TempDir {
    TempDir() {
        char name[] = "/tmp/velmora-assoc-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    std::string path;
};

std::string Read(const std::string& path) {
    std::string text;
    EXPECT_TRUE(assoc::ReadFile(path, &text)) << path;
    return text;
}
void Write(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Writing through a link keeps the link and leaves no temporary file; a link to nothing is refused.
// (A missing folder and a plain file are written by the association round below.)
TEST(AtomicWrite, WritesThroughALinkAndRefusesADanglingOne) {
    TempDir tmp;
    const std::string d = tmp.path;
    Write(d + "/real/target", "old");
    fs::create_symlink(d + "/real/target", d + "/f");
    fs::create_symlink(d + "/nowhere", d + "/dangling");
    EXPECT_TRUE(assoc::WriteFileAtomically(d + "/f", "new"));
    EXPECT_TRUE(fs::is_symlink(d + "/f"));
    EXPECT_EQ(Read(d + "/f"), "new");
    EXPECT_FALSE(assoc::WriteFileAtomically(d + "/dangling", "new"));
    EXPECT_TRUE(fs::is_symlink(d + "/dangling"));
    size_t files = 0;
    for (const auto& e : fs::recursive_directory_iterator(d))
        files += e.is_regular_file() && !e.is_symlink();
    EXPECT_EQ(files, 1u);
}

TEST(Associations, SharedTypesAreAssociatedWhenAnyOfTheirBoxesIs) {
    std::array<bool, 11> checked{};
    checked[5] = true;  // .divx: shares video/x-msvideo with .avi
    checked[4] = true;  // .dat: shares video/mpeg with .mpg and .mpeg
    const std::array<bool, 11> wanted = assoc::AssociateWanted(checked);
    const std::array<bool, 11> expected{true,  false, true,  true,  true, true,
                                        false, false, false, false, false};
    EXPECT_EQ(wanted, expected);
}

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
        ::pclose(p);
    }
    return out;
}

// The whole round as a user meets it, read back by xdg-mime and gio in a private XDG home where
// another program owned both types before.
TEST(Associations, OtherReadersSeeThePlayerAndThenThePreviousOwnerAgain) {
    TempDir home;
    const std::string config = home.path + "/config", data = home.path + "/data";
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (home.path + "/system").c_str(), 1);
    ::unsetenv("XDG_CURRENT_DESKTOP");
    Write(home.path + "/system/applications/other.desktop",
          "[Desktop Entry]\nType=Application\nName=Other\nExec=true %U\n"
          "MimeType=video/x-msvideo;x-scheme-handler/mms;\n");
    const std::string original =
        "# the user's own\n[Added Associations]\nvideo/mp4=other.desktop;\n"
        "[Default Applications]\nvideo/x-msvideo=other.desktop\n"
        "x-scheme-handler/mms=other.desktop;\n[Other Group]\nunknown=kept";
    Write(config + "/mimeapps.list", original);

    const assoc::CAssociations store({config + "/mimeapps.list",
                                      config + "/Velmora/associations.ini",
                                      data + "/applications/velmora-file.desktop"});
    // Programs that note their arguments, one in a folder with blanks, quotes, "%", a backslash
    // and Korean in its name.
    const std::string plain = home.path + "/bin/velmora",
                      program = home.path + "/내 \"프로그램\" $HOME \\ %f 50% `x` 'y'/velmora";
    for (const std::string& p : {plain, program}) {
        Write(p, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > \"$(dirname \"$0\")/../ran\"\n");
        ::chmod(p.c_str(), 0755);
    }
    ASSERT_TRUE(store.RegisterFileType(plain));
    for (const char* item : {".avi", "mms", ".avi", "mms"}) ASSERT_TRUE(store.Associate(item));
    EXPECT_TRUE(store.IsAssociated(".divx"));
    EXPECT_FALSE(store.IsAssociated(".asf"));

    EXPECT_EQ(Shell("xdg-mime query default video/x-msvideo"), "velmora-file.desktop\n");
    EXPECT_NE(Shell("gio mime x-scheme-handler/mms").find(": velmora-file.desktop\n"),
              std::string::npos);
    // Associating twice kept the first backup.
    const ini::Sections backups = ini::Parse(Read(config + "/Velmora/associations.ini")).sections;
    EXPECT_EQ(backups.at(kAvi).at("Tesvo.Bak"), "other.desktop");
    EXPECT_EQ(backups.at("x-scheme-handler/mms").at("Tesvo.Bak"), "other.desktop");
    // The Exec line reaches the program as one argument, with the file after it.
    ASSERT_TRUE(store.RegisterFileType(program));
    Shell("gio launch " + data + "/applications/velmora-file.desktop /tmp/a.avi");
    EXPECT_EQ(Read(home.path + "/ran"), program + "\n/tmp/a.avi\n");

    ASSERT_TRUE(store.Restore(".avi"));
    ASSERT_TRUE(store.Restore("mms"));
    EXPECT_FALSE(store.IsAssociated(".avi"));
    EXPECT_EQ(Read(config + "/mimeapps.list"), original);
    EXPECT_EQ(Shell("xdg-mime query default video/x-msvideo"), "other.desktop\n");
}

// A store that cannot be written (or is no file) changes nothing, the player's backups included,
// and says so; one that is a pipe is not waited on.
TEST(Associations, AStoreThatCannotBeWrittenChangesNothing) {
    const std::pair<const char*, void (*)(const std::string& list)> rows[] = {
        {"read-only",
         [](const std::string& list) {
             Write(list, "[Default Applications]\nvideo/x-msvideo=o;\n");
             ::chmod(list.c_str(), 0444);
         }},
        {"a folder", [](const std::string& list) { fs::create_directories(list); }},
        {"a pipe", [](const std::string& list) { ::mkfifo(list.c_str(), 0600); }},
    };
    for (const auto& [name, prepare] : rows) {
        SCOPED_TRACE(name);
        TempDir home;
        const std::string list = home.path + "/mimeapps.list", backups = home.path + "/b.ini";
        prepare(list);
        const std::string before = fs::is_regular_file(list) ? Read(list) : "";
        Write(backups, "[video/x-msvideo]\nTesvo.Bak=kept.desktop\n");
        const assoc::CAssociations store({list, backups, home.path + "/e"});
        EXPECT_FALSE(store.Associate(".avi"));
        EXPECT_EQ(Read(backups), "[video/x-msvideo]\nTesvo.Bak=kept.desktop\n");
        if (fs::is_regular_file(list)) {
            EXPECT_EQ(Read(list), before);
        }
    }
}

}  // namespace
