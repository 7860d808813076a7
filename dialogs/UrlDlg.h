#pragma once
// The open-address dialog: one line for the internet address of a video or audio stream.

#include <QDialog>
#include <QString>
#include <optional>

class QLineEdit;

class CUrlDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CUrlDlg(QWidget* owner);

    // Shows a new dialog modally over owner; its line starts empty. On OK the text exactly as
    // typed (blank and empty text included), on Cancel nothing.
    static std::optional<QString> Ask(QWidget* owner);

    QString Address() const;

  private:
    QLineEdit* m_edit = nullptr;
};
