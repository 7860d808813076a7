// File associations: the five operations and two queries on the freedesktop store, and the
// association dialog's flow.

#include <QCoreApplication>
#include <QStandardPaths>
#include <QtGlobal>

#include "app/Associations.h"
#include "dialogs/AssocDlg.h"
#include "frame/MainFrame.h"

namespace {

// The store under the user's folders as they are now (tests point them elsewhere).
assoc::CAssociations Store() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return assoc::CAssociations(
        {(config + "/mimeapps.list").toStdString(),
         (config + "/Velmora/associations.ini").toStdString(),
         (data + "/applications/").toStdString() + std::string(assoc::kDesktopId)});
}

void Report(bool ok, const char* what, const QString& item) {
    if (!ok) qWarning("File association: %s %s failed", what, qPrintable(item));
}

}  // namespace

bool CMainFrame::IsExtensionAssociated(const QString& extension) const {
    return Store().IsAssociated(extension.toStdString());
}

bool CMainFrame::IsMmsAssociated() const {
    return Store().IsAssociated("mms");
}

void CMainFrame::RegisterFileType() {
    const QString program = QCoreApplication::applicationFilePath();
    Report(Store().RegisterFileType(program.toStdString()), "registering", program);
}

void CMainFrame::AssociateExtension(const QString& extension) {
    Report(Store().Associate(extension.toStdString()), "associating", extension);
}

void CMainFrame::RestoreExtension(const QString& extension) {
    Report(Store().Restore(extension.toStdString()), "restoring", extension);
}

void CMainFrame::AssociateMms() {
    Report(Store().Associate("mms"), "associating", QStringLiteral("mms"));
}

void CMainFrame::RestoreMms() {
    Report(Store().Restore("mms"), "restoring", QStringLiteral("mms"));
}

bool CMainFrame::OnAssociations() {
    CAssocDlg::Checks preset{};
    for (size_t i = 0; i < assoc::kMmsIndex; ++i)
        preset[i] = IsExtensionAssociated(QString::fromLatin1(assoc::kItems[i].name));
    preset[assoc::kMmsIndex] = IsMmsAssociated();
    const std::optional<CAssocDlg::Checks> chosen = CAssocDlg::Ask(this, preset);
    if (!chosen) return false;
    ApplyAssociations(*chosen);
    return true;
}

void CMainFrame::ApplyAssociations(const std::array<bool, 11>& checked) {
    RegisterFileType();
    // A MIME type shared by several boxes stays the player's when any of them is checked.
    const std::array<bool, 11> wanted = assoc::AssociateWanted(checked);
    for (size_t i = 0; i < assoc::kMmsIndex; ++i) {
        const QString extension = QString::fromLatin1(assoc::kItems[i].name);
        wanted[i] ? AssociateExtension(extension) : RestoreExtension(extension);
    }
    wanted[assoc::kMmsIndex] ? AssociateMms() : RestoreMms();
}
