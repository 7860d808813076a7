#pragma once
// The statistics dialog: the facts about the open medium, asked again once a second while the
// dialog is shown (the timer stops while it is hidden).

#include <QTimer>

#include "dialogs/MediaFactsDlg.h"

class CStatisticsDlg : public CMediaFactsDlg {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 1000;

    CStatisticsDlg(QWidget* parent, CMediaPlayer2* player);

    // Shows the statistics dialog of parent, making it on first use (it deletes itself when
    // closed), and brings it forward.
    static CStatisticsDlg* Open(QWidget* parent, CMediaPlayer2* player);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QTimer m_refresh;
};
