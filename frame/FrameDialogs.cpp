// The dialogs and programs commands open: the open-address dialog, media properties, statistics,
// the system mixer and the About box.

#include "frame/MainFrame.h"

void CMainFrame::OnOpenUrl() {}
void CMainFrame::OnProperties() {}
void CMainFrame::OnStatistics() {}
void CMainFrame::OnSystemVolume() {}
void CMainFrame::OnAbout() {}
