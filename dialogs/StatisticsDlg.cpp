#include "dialogs/StatisticsDlg.h"

CStatisticsDlg::CStatisticsDlg(QWidget* parent, CMediaPlayer2* player)
    : CMediaFactsDlg(parent, player, QStringLiteral("통계")) {
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &CMediaFactsDlg::Refresh);
}

CStatisticsDlg* CStatisticsDlg::Open(QWidget* parent, CMediaPlayer2* player) {
    auto* dlg = parent ? parent->findChild<CStatisticsDlg*>(QString(), Qt::FindDirectChildrenOnly)
                       : nullptr;
    if (!dlg) {
        dlg = new CStatisticsDlg(parent, player);
        dlg->setAttribute(Qt::WA_DeleteOnClose);
    }
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
    return dlg;
}

void CStatisticsDlg::showEvent(QShowEvent* event) {
    CMediaFactsDlg::showEvent(event);
    Refresh();
    m_refresh.start();
}

void CStatisticsDlg::hideEvent(QHideEvent* event) {
    m_refresh.stop();
    CMediaFactsDlg::hideEvent(event);
}
