#pragma once
// The about box: the program's name, version and date.

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* owner);

    // Shows a new about box modally over owner; OK or Escape closes it.
    static void Show(QWidget* owner);
};
