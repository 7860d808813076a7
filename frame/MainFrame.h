#pragma once
// The player's one top-level window. It owns every other window and object of the player, keeps
// them placed over its client area and tears them down when it closes.

#include <QMainWindow>
#include <QRect>
#include <QString>

class CInstanceServer;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    // Construction sets the initial values; no window is made yet.
    CMainFrame();
    ~CMainFrame() override;

    // Creates the window and its parts, loads the settings and shows it. False when a part could
    // not be made.
    bool CreateAndShow();

    // Frame operations used from several places.
    QString ResolveShortcut(const QString& path) const;
    void OpenMediaPath(const QString& path);

    // What a second start handed over: read "설정"/"파일" and open it.
    void OnHandOver();

    // Settings held by the frame, loaded at creation and saved at destruction.
    struct Settings {
        int outlineColor = 0;
        int textColor = 0xFFFF;
        int captionPosition = 6;
        int extraLines = 0;
        int effect = 0;
        int sizeRatio = 36;
        QString fontName = QStringLiteral("굴림");
        bool topmost = false;
        bool framed = true;
        bool controls = true;
        int volumeStep = 1;
    };
    const Settings& CurrentSettings() const { return settings_; }
    bool IsReady() const { return ready_; }
    QRect RememberedRect() const { return rememberedRect_; }

  signals:
    // Every path that reaches open-media-path, once per call.
    void mediaPathOpened(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool OnCreate();
    void LoadSettings();
    void LoadWindowPosition();
    void SaveSettings();
    void Shutdown();
    void ResetToEmpty();
    void BringForward(const QString& activationToken);
    void SetVolumeStep(int step);
    void RememberWindowRect();
    int NonClientHeight() const;

    Settings settings_;
    bool ready_ = false;
    bool shutDown_ = false;
    bool fullScreen_ = false;
    bool controlsBeforeFullScreen_ = true;
    QRect rememberedRect_;
    CInstanceServer* instanceServer_ = nullptr;
    QWidget* content_ = nullptr;
};
