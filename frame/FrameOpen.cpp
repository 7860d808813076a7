// Opening media: paths, shortcuts, caption files, playlists, dropped files and the open dialogs.

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "app/Profile.h"
#include "captions/CaptionSource.h"
#include "controls/ControlDlg.h"
#include "frame/MainFrame.h"
#include "playback/MediaPlayer2.h"

namespace caps = velmora::captions;

namespace {

std::string Utf8(const QString& s) {
    return s.toStdString();
}
QString FromUtf8(const std::string& s) {
    return QString::fromStdString(s);
}

bool Exists(const std::string& path) {
    return QFileInfo::exists(FromUtf8(path));
}

// Largest desktop link entry read; real ones are a few hundred bytes.
constexpr qint64 kMaxLinkFileSize = 64 * 1024;

const QString kVideoFilter = QStringLiteral(
    "동영상 파일(*.avi;*.asf;*.mpg;*.mpeg;*.wmv;*.dat;*.divx;*.asx) (*.avi *.asf *.mpg *.mpeg "
    "*.wmv *.dat *.divx *.asx *.AVI *.ASF *.MPG *.MPEG *.WMV *.DAT *.DIVX *.ASX)");

}  // namespace

bool CMainFrame::ResolveShortcut(QString& path) const {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (target.isEmpty()) return false;  // a dangling link: use the path as given
        path = FromUtf8(caps::SymlinkPathToOpen(Utf8(path), Utf8(target)));
        return true;
    }
    if (!path.endsWith(".desktop", Qt::CaseInsensitive) || !info.isFile() ||
        info.size() > kMaxLinkFileSize)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const std::optional<std::string> target =
        caps::ParseDesktopLinkTarget(file.readAll().toStdString());
    if (!target || target->empty()) return false;
    path = FromUtf8(*target);
    return true;
}

QString CMainFrame::ResolveShortcut(const QString& path) const {
    QString resolved = path;
    ResolveShortcut(resolved);
    return resolved;
}

void CMainFrame::OpenMediaPath(const QString& path) {
    emit mediaPathOpened(path);
    // A playlist is read here, entry by entry, never handed to the back end as one medium.
    if (caps::IsPlaylistFileName(Utf8(path))) {
        OpenPlaylist(path);
        return;
    }
    OpenMedium(path);
}

bool CMainFrame::OpenMedium(const QString& path) {
    const caps::OpenMediaPlan plan =
        caps::PlanOpenMedia(Utf8(path), Utf8(CProfile::Get(profile::kCaptionFolder)), Exists);
    if (plan.action == caps::OpenMediaPlan::Action::Nothing) return false;
    if (plan.lastFolder) CProfile::Write(profile::kLastFolder, FromUtf8(*plan.lastFolder));
    // The caption file is set before the medium loads, so both load together.
    if (plan.setCaption) player_->SetSAMIFileName(FromUtf8(plan.captionFile));
    if (plan.action == caps::OpenMediaPlan::Action::LoadFile) {
        player_->SetFileName(FromUtf8(plan.target));
    } else {
        player_->Open(FromUtf8(plan.target));
    }
    return true;
}

void CMainFrame::OpenPlaylistEntry(std::string entry) {
    // Entries that cannot even be handed over (a playlist inside the playlist, a path that opens
    // nothing) are skipped here; the ones the back end refuses, when it reports the error.
    for (;;) {
        const QString path = ResolveShortcut(FromUtf8(entry));
        if (!caps::IsPlaylistFileName(Utf8(path)) && OpenMedium(path)) return;
        if (!NextAfterFailedEntry(entry)) return;
    }
}

bool CMainFrame::NextAfterFailedEntry(std::string& entry) {
    // Each entry is tried at most once in a row, so a list of nothing but failures ends.
    if (playlistLength_ <= 0 || ++failedEntries_ >= playlistLength_) return false;
    switch (skip_) {
        case Skip::Onward:
            // Like the end of a medium, a failure of the last entry ends the list.
            if (playlist_.Index() >= playlistLength_ - 1) return false;
            entry = playlist_.Next();
            return true;
        case Skip::Next:
            entry = playlist_.Next();
            return true;
        case Skip::Previous:
            entry = playlist_.Previous();
            return true;
    }
    return false;
}

void CMainFrame::ApplySubtitleFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        player_->SetSAMIFileName(QString());  // captions off; the medium plays on
        return;
    }
    if (playState_ == 2) player_->Pause();
    const double position = player_->GetCurrentPosition();
    const QString name = player_->GetFileName();
    player_->SetSAMIFileName(path);
    if (!name.isEmpty()) player_->SetFileName(name);  // reloads with the new captions
    player_->SetCurrentPosition(position);
}

void CMainFrame::OpenPlaylist(const QString& path) {
    playlist_.Clear();
    failedEntries_ = 0;
    skip_ = Skip::Onward;
    playlistLength_ = playlist_.LoadM3u(Utf8(path));
    EnablePrevNext(playlistLength_ > 0);
    if (playlistLength_ > 0) OpenPlaylistEntry(playlist_.First());
}

void CMainFrame::OnDropFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    const QString path = ResolveShortcut(paths.last());
    switch (caps::ClassifyDroppedFile(Utf8(path))) {
        case caps::DropKind::Caption:
            ApplySubtitleFile(path);
            break;
        case caps::DropKind::Playlist:
            OpenPlaylist(path);
            break;
        case caps::DropKind::Media:
            ClearPlaylistForSingleItem();
            OpenMediaPath(path);
            break;
    }
}

void CMainFrame::ClearPlaylistForSingleItem() {
    playlist_.Clear();
    playlistLength_ = -1;
    EnablePrevNext(false);
}

void CMainFrame::EnablePrevNext(bool enable) {
    controlBar_->EnablePrevNext(enable);
}

QStringList CMainFrame::ChooseFiles(const QString& title, const QString& filter,
                                    const QString& startFolder, bool multiple) {
    if (chooseFiles_) return chooseFiles_(title, filter, startFolder, multiple);
    if (multiple) return QFileDialog::getOpenFileNames(this, title, startFolder, filter);
    const QString one = QFileDialog::getOpenFileName(this, title, startFolder, filter);
    return one.isEmpty() ? QStringList() : QStringList{one};
}

void CMainFrame::OnOpenFile() {
    // The dialog starts in the folder of the last medium.
    const QString last = CProfile::Get(profile::kLastFolder);
    if (last.size() > 1) QDir::setCurrent(last);
    const QString filter =
        kVideoFilter +
        QStringLiteral(
            ";;오디오 "
            "파일(*.wav;*.wmv;*.mp2;*.mp3;*.snd;*.au;*.aif;*.aifc;*.aiff;*.cda;*.mid;*.rmi;"
            "*.midi) (*.wav *.wmv *.mp2 *.mp3 *.snd *.au *.aif *.aifc *.aiff *.cda *.mid *.rmi "
            "*.midi)"
            ";;플레이 리스트 파일(*.m3u;) (*.m3u *.M3U);;All Files(*.*) (*)");
    QStringList paths =
        ChooseFiles(QStringLiteral("열기"), filter, last.size() > 1 ? last : QString(), true);
    if (paths.isEmpty()) return;
    for (QString& p : paths) ResolveShortcut(p);
    if (paths.size() == 1) {
        if (paths.first().right(3).compare("m3u", Qt::CaseInsensitive) == 0) {
            OpenPlaylist(paths.first());
        } else {
            ClearPlaylistForSingleItem();
            OpenMediaPath(paths.first());
        }
        return;
    }
    std::vector<std::string> entries;
    for (const QString& p : paths) entries.push_back(Utf8(p));
    playlist_.Clear();
    failedEntries_ = 0;
    skip_ = Skip::Onward;
    playlistLength_ = int(entries.size());
    playlist_.AssignSorted(std::move(entries));
    EnablePrevNext(true);
    OpenPlaylistEntry(playlist_.First());
}

void CMainFrame::OnOpenSubtitle() {
    const QStringList chosen = ChooseFiles(
        QStringLiteral("자막 열기"),
        QStringLiteral("자막 파일(*.smi;*.sami;) (*.smi *.sami *.SMI *.SAMI)"), QString(), false);
    if (chosen.isEmpty()) return;
    ApplySubtitleFile(ResolveShortcut(chosen.first()));
}
