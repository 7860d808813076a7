#include "dialogs/PropertiesDlg.h"

CPropertiesDlg::CPropertiesDlg(QWidget* parent, CMediaPlayer2* player)
    : CMediaFactsDlg(parent, player, QStringLiteral("등록정보")) {
    Refresh();
}

CPropertiesDlg* CPropertiesDlg::Open(QWidget* parent, CMediaPlayer2* player) {
    if (parent) {
        const auto shown =
            parent->findChildren<CPropertiesDlg*>(QString(), Qt::FindDirectChildrenOnly);
        for (CPropertiesDlg* old : shown) old->close();
    }
    auto* dlg = new CPropertiesDlg(parent, player);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
    return dlg;
}
