// The dialogs and programs commands open: settings, the open-address dialog, media properties,
// statistics, the system mixer and the About box.

#include "dialogs/AboutDlg.h"
#include "dialogs/Notice.h"
#include "dialogs/OpenableAddress.h"
#include "dialogs/PropertiesDlg.h"
#include "dialogs/SetupDlg.h"
#include "dialogs/StatisticsDlg.h"
#include "dialogs/SystemMixer.h"
#include "dialogs/UrlDlg.h"
#include "frame/MainFrame.h"
#include "playback/MediaPlayer2.h"

void CMainFrame::OnOpenUrl() {
    const std::optional<QString> typed = askUrl_ ? askUrl_() : CUrlDlg::Ask(this);
    // Blanks around a pasted address are not part of it.
    const QString address = typed ? typed->trimmed() : QString();
    if (address.isEmpty() || shutDown_) return;
    if (!velmora::dialogs::IsOpenableAddress(address.toStdString())) {
        ShowNotice(this, QStringLiteral("열 수 없는 주소입니다: ") + address);
        return;
    }
    // A stream has no caption file, and it ends any playlist.
    player_->SetSAMIFileName(QString());
    player_->Open(address);
    ClearPlaylistForSingleItem();
}

void CMainFrame::OnSettings() {
    const Settings& s = settings_;
    SetupValues values;
    values.quickMenu = quickMenu_;
    values.effectColour = uint32_t(s.outlineColor);
    values.textColour = uint32_t(s.textColor);
    values.extraLines = s.extraLines;
    values.effect = s.effect;
    values.sizeRatio = s.sizeRatio;
    values.face = s.fontName;
    CSetupDlg dialog(this, values);
    connect(&dialog, &CSetupDlg::applyRequested, this, &CMainFrame::ApplySettings);
    connect(&dialog, &CSetupDlg::associationsRequested, this, [this] { OnAssociations(); });
    if (dialog.exec() == QDialog::Accepted) ApplySettings(dialog.Values());
}

void CMainFrame::OnProperties() {
    CPropertiesDlg::Open(this, player_);
}

void CMainFrame::OnStatistics() {
    CStatisticsDlg::Open(this, player_);
}

void CMainFrame::OnSystemVolume() {
    OpenSystemMixer(this);
}

void CMainFrame::OnAbout() {
    CAboutDlg::Show(this);
}
