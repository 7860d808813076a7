#pragma once
// The association dialog "파일 연결": one check box per extension and one for the "mms" protocol,
// in the order of assoc::kItems. It takes the boxes' states in and hands them back; the frame
// applies them.

#include <QDialog>
#include <array>
#include <optional>

class QCheckBox;

class CAssocDlg : public QDialog {
    Q_OBJECT
  public:
    using Checks = std::array<bool, 11>;

    CAssocDlg(QWidget* owner, const Checks& checked);
    Checks Checked() const;

    // Shows the dialog modally; the boxes' states on OK, nothing on Cancel.
    static std::optional<Checks> Ask(QWidget* owner, const Checks& checked);

  private:
    void SelectAll();

    std::array<QCheckBox*, 11> m_boxes{};
};
