#pragma once
// The settings dialog "프로그램 환경 설정": caption face, size, colours and effect with a live
// preview, extra caption lines, the quick-menu button and the default subtitle folder. It takes
// plain values in and hands plain values back; the frame applies them (after OK, and at once on
// "적용" through applyRequested). Only the default folder is read from the settings store here.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class CSetupPreview;

struct SetupValues {
    int quickMenu = 0;  // 0 right button, 1 left button, other: no radio checked, handed back
    uint32_t effectColour = 0;  // 0x00BBGGRR (red in the low byte), outline/shadow colour
    uint32_t textColour = 0x00FFFF;
    int extraLines = 0;  // 0..5 (other values: no radio checked, handed back unchanged)
    int effect = 0;      // bit 0 outline, bit 1 shadow
    int sizeRatio = 36;  // the dialog shows 46 - ratio
    QString face = QStringLiteral("굴림");
    QString folder;  // default subtitle folder, read from the settings store at opening
};

class CSetupDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMinSize = 1;
    static constexpr int kMaxSize = 25;

    // Chooses a colour starting from current; nothing when cancelled.
    using ColourChooser = std::function<std::optional<uint32_t>(QWidget* owner, uint32_t current)>;
    // Chooses a folder; an empty path when cancelled.
    using FolderChooser =
        std::function<QString(QWidget* owner, const QString& title, const QString& start)>;

    CSetupDlg(QWidget* owner, const SetupValues& values);

    SetupValues Values() const;  // the controls read back (ratio = 46 - size)

    // The platform's choosers unless replaced (tests replace them).
    void SetColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }
    void SetFolderChooser(FolderChooser chooser) { m_chooseFolder = std::move(chooser); }

    // The face list's case-insensitive prefix search, starting after the first entry and
    // wrapping around to it; -1 when nothing matches.
    int FindFace(const QString& face) const;

  signals:
    void applyRequested(const SetupValues& values);  // "적용": the dialog stays open
    void associationsRequested();                    // "연결 설정": the dialog stays open

  public slots:
    void accept() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build();
    void FillFaces();
    void SelectFace(const QString& face);
    void ShowFields();
    void SetSizeShown(int size);
    void StepSize(int step);
    std::optional<int> TypedSize() const;
    bool ReadSize();
    void ChooseColour(uint32_t& colour);
    void BrowseFolder();
    void RestoreDefaults();
    void SetEffectBoxes();
    void RefreshPreview();

    SetupValues m_values;
    int m_size = 0;  // the size edit's value as last pushed or read
    ColourChooser m_chooseColour;
    FolderChooser m_chooseFolder;

    QComboBox* m_faces = nullptr;
    QLineEdit* m_sizeEdit = nullptr;
    QLineEdit* m_folderEdit = nullptr;
    QCheckBox* m_none = nullptr;
    QCheckBox* m_outline = nullptr;
    QCheckBox* m_shadow = nullptr;
    QButtonGroup* m_lines = nullptr;
    QButtonGroup* m_quickMenu = nullptr;
    CSetupPreview* m_preview = nullptr;
};
