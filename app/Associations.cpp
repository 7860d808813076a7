#include "app/Associations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/IniText.h"
#include "app/MimeApps.h"

namespace assoc {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBackup = "Tesvo.Bak";
constexpr const char* kApplication = "Application";

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(size_t(n));
    }
    return true;
}

// The files one operation works on, read at its start.
struct State {
    std::string mimeapps;
    ini::Sections backups;
    std::string backupsText;  // as read
};

bool Load(const Paths& paths, State* state) {
    if (!ReadFile(paths.mimeapps, &state->mimeapps) ||
        !ReadFile(paths.backups, &state->backupsText))
        return false;
    state->backups = ini::Parse(state->backupsText).sections;
    return true;
}

// The backups go first, so the store never names the player without a backup of what it
// replaced; should the store then not take the change, the backups file gets its old text back.
bool Save(const Paths& paths, const State& before, const State& after) {
    const bool backups = after.backups != before.backups;
    if (backups && !WriteFileAtomically(paths.backups, ini::Write(after.backups))) return false;
    if (after.mimeapps == before.mimeapps || WriteFileAtomically(paths.mimeapps, after.mimeapps))
        return true;
    if (backups) WriteFileAtomically(paths.backups, before.backupsText);
    return false;
}

bool IsExtension(std::string_view item) {
    return !item.empty() && item.front() == '.';
}

}  // namespace

std::string MimeOf(std::string_view item) {
    const std::string name = Lower(item);
    for (const Item& i : kItems)
        if (name == i.name) return i.mime;
    return {};
}

std::vector<std::string> AllMimeTypes() {
    std::vector<std::string> types;
    for (const Item& i : kItems)
        if (std::find(types.begin(), types.end(), i.mime) == types.end()) types.push_back(i.mime);
    return types;
}

std::array<bool, 11> AssociateWanted(const std::array<bool, 11>& checked) {
    std::array<bool, 11> wanted{};
    for (size_t i = 0; i < kItems.size(); ++i) {
        for (size_t j = 0; j < kItems.size(); ++j) {
            if (checked[j] && std::string_view(kItems[i].mime) == kItems[j].mime) wanted[i] = true;
        }
    }
    return wanted;
}

bool ReadFile(const std::string& path, std::string* text) {
    text->clear();
    std::error_code ec;
    if (!fs::exists(path, ec)) return !ec && !fs::is_symlink(path, ec);
    // A folder or a pipe is no store (and opening a pipe would wait for a writer).
    if (!fs::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    *text = all.str();
    return !in.bad();
}

bool WriteFileAtomically(const std::string& path, std::string_view text) {
    std::error_code ec;
    fs::path target = path;
    if (fs::is_symlink(target, ec)) {
        target = fs::canonical(target, ec);  // fails for a link to nothing
        if (ec) return false;
    }
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    // A file without any write permission is read only, also for a user who could override it.
    if (exists &&
        (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        return false;
    fs::create_directories(target.parent_path(), ec);
    std::string temp = target.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    const bool written = WriteAll(fd, text) &&
                         ::fchmod(fd, exists ? st.st_mode & 07777 : 0644) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool CAssociations::IsAssociated(std::string_view item) const {
    State s;
    const std::string mime = MimeOf(item);
    return !mime.empty() && Load(paths_, &s) &&
           mimeapps::DefaultFor(s.mimeapps, mime) == kDesktopId;
}

bool CAssociations::RegisterFileType(std::string_view program) const {
    return WriteFileAtomically(
        paths_.desktopEntry,
        mimeapps::DesktopEntry(program, "Velmora", kFileTypeComment, AllMimeTypes()));
}

bool CAssociations::Associate(std::string_view item) const {
    const std::string mime = MimeOf(item);
    State before;
    if (mime.empty() || !Load(paths_, &before)) return false;
    State after = before;
    const std::string owner = mimeapps::DefaultFor(before.mimeapps, mime);
    // What the player replaces is kept once: associating again keeps the first backup.
    if (owner != kDesktopId) {
        after.backups[mime][kBackup] = owner;
        after.mimeapps = mimeapps::SetFirst(before.mimeapps, mime, kDesktopId);
        if (IsExtension(item)) {
            auto& perUser = after.backups[Lower(item)];
            perUser[kBackup] = perUser[kApplication];
            perUser[kApplication] = "";
        }
    }
    return Save(paths_, before, after);
}

bool CAssociations::Restore(std::string_view item) const {
    const std::string mime = MimeOf(item);
    State before;
    if (mime.empty() || !Load(paths_, &before)) return false;
    State after = before;
    // Only an owner the player holds is given back; another program's stays.
    if (mimeapps::DefaultFor(before.mimeapps, mime) == kDesktopId) {
        const auto found = before.backups.find(mime);
        std::string previous;
        if (found != before.backups.end() && found->second.count(kBackup))
            previous = found->second.at(kBackup);
        after.mimeapps = mimeapps::Restore(before.mimeapps, mime, kDesktopId, previous);
    }
    if (const auto perUser = after.backups.find(Lower(item)); perUser != after.backups.end())
        perUser->second[kApplication] = perUser->second[kBackup];
    return Save(paths_, before, after);
}

}  // namespace assoc
