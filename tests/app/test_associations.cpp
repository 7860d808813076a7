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

#include "app/Associations.h"
#include "app/IniText.h"
#include "app/MimeApps.h"

namespace {

namespace fs = std::filesystem;
constexpr const char* kOurs = "velmora-file.desktop";
constexpr const char* kAvi = "video/x-msvideo";

TEST(MimeApps, DefaultOwnerIsTheFirstIdOfTheFirstDefaultEntry) {
    const struct {
        const char* text;
        const char* owner;
    } rows[] = {
        {"", ""},
        {"[Added Associations]\nvideo/x-msvideo=a.desktop;\n", ""},
        {"[Default Applications]\nvideo/x-msvideo2=z.desktop\nvideo/x-msvideo=a.desktop;b;\n",
         "a.desktop"},
        {"[Default Applications]\r\nvideo/x-msvideo = ;a.desktop\r\n", "a.desktop"},
        {"[Default Applications]\nvideo/x-msvideo=\nvideo/x-msvideo=b.desktop\n", ""},
        {"[Default Applications\nvideo/x-msvideo=a.desktop\n", ""},  // no group header
    };
    for (const auto& row : rows)
        EXPECT_EQ(mimeapps::DefaultFor(row.text, kAvi), row.owner) << row.text;
}

// Associating puts the player first; restoring with the owner found before gives the text back
// (byte for byte where the type had an owner).
TEST(MimeApps, AssociateAndRestoreEditOnlyTheirEntry) {
    const struct {
        const char* name;
        std::string before, associated, restored;
    } rows[] = {
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
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string associated = mimeapps::SetFirst(row.before, kAvi, kOurs);
        EXPECT_EQ(associated, row.associated);
        EXPECT_EQ(mimeapps::SetFirst(associated, kAvi, kOurs), associated);
        const std::string previous = mimeapps::DefaultFor(row.before, kAvi);
        EXPECT_EQ(mimeapps::Restore(associated, kAvi, kOurs, previous),
                  row.restored.empty() ? row.before : row.restored);
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

TEST(AtomicWrite, WritesThroughLinksAndRefusesWhatCannotBeWritten) {
    const struct {
        const char* name;
        void (*prepare)(const std::string& dir);  // makes dir/f
        bool ok;
        const char* content;  // of dir/f afterwards (read through a link)
    } rows[] = {
        {"missing file and folder", [](const std::string&) {}, true, "new"},
        {"plain file", [](const std::string& d) { Write(d + "/f", "old"); }, true, "new"},
        {"link to a file elsewhere",
         [](const std::string& d) {
             Write(d + "/real/target", "old");
             fs::create_directories(d);
             fs::create_symlink(d + "/real/target", d + "/f");
         },
         true, "new"},
        {"link to nothing",
         [](const std::string& d) {
             fs::create_directories(d);
             fs::create_symlink(d + "/nowhere", d + "/f");
         },
         false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir tmp;
        const std::string dir = tmp.path + "/sub";
        row.prepare(dir);
        EXPECT_EQ(assoc::WriteFileAtomically(dir + "/f", "new"), row.ok);
        std::string text;
        assoc::ReadFile(dir + "/f", &text);
        EXPECT_EQ(text, row.content);
        if (fs::exists(dir + "/real")) {
            EXPECT_TRUE(fs::is_symlink(dir + "/f"));
        }
        size_t files = 0;  // no temporary file is left behind
        for (const auto& e : fs::recursive_directory_iterator(tmp.path))
            files += e.is_regular_file() && !e.is_symlink();
        EXPECT_EQ(files, *row.content ? 1u : 0u);
    }
}

TEST(Associations, SharedTypesAreAssociatedWhenAnyOfTheirBoxesIs) {
    std::array<bool, 11> checked{};
    checked[5] = true;  // .divx: shares video/x-msvideo with .avi
    checked[4] = true;  // .dat: shares video/mpeg with .mpg and .mpeg
    const std::array<bool, 11> wanted = assoc::AssociateWanted(checked);
    const std::array<bool, 11> expected{true,  false, true,  true,  true, true,
                                        false, false, false, false, false};
    EXPECT_EQ(wanted, expected);
    EXPECT_EQ(assoc::MimeOf(".AVI"), kAvi);
    EXPECT_EQ(assoc::MimeOf("mms"), "x-scheme-handler/mms");
    EXPECT_EQ(assoc::MimeOf(".mp4"), "");
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
    const struct {
        const char* name;
        void (*prepare)(const std::string& list);
    } rows[] = {
        {"read-only",
         [](const std::string& list) {
             Write(list, "[Default Applications]\nvideo/x-msvideo=o;\n");
             ::chmod(list.c_str(), 0444);
         }},
        {"a folder", [](const std::string& list) { fs::create_directories(list); }},
        {"a pipe", [](const std::string& list) { ::mkfifo(list.c_str(), 0600); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir home;
        const std::string list = home.path + "/mimeapps.list", backups = home.path + "/b.ini";
        row.prepare(list);
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
