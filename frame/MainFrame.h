#pragma once
// The player's one top-level window. It owns every other window and object of the player, keeps
// them placed over its client area, routes every command, and tears everything down when it
// closes. Its work is split by feature over several files:
//   MainFrame.cpp       creation, hand-over, shutdown, window events
//   FrameSettings.cpp   loading and saving settings
//   FrameOpen.cpp       opening media, caption files, playlists and dropped files
//   FrameCommands.cpp   the command table, keys and transport commands
//   FramePlayback.cpp   the media control's events, the poll timer and the time display
//   FrameLayout.cpp     the layout rule applied: sizing, placing the parts, captions on screen
//   FrameModes.cpp      display modes, the pointer and the hover-revealed control bar
//   FrameCaptionArea.cpp extra caption lines, crop, caption position and letter size
//   FrameAssociations.cpp file associations and the association dialog

#include <QBasicTimer>
#include <QList>
#include <QMainWindow>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "captions/CaptionParser.h"
#include "frame/Layout.h"
#include "frame/Modes.h"
#include "playback/PlayList.h"

class CCaptionWnd;
struct CaptionStyle;
class CCornerWnd;
class CControlDlg;
class CInstanceServer;
class CMediaPlayer2;
class CMpris;
class CScreenSaverInhibitor;
class CSurroundWnd;
class QKeyEvent;
class QMenu;
struct SetupValues;

class CMainFrame : public QMainWindow {
    Q_OBJECT
    // The media-player interface on the session bus: another way in for the commands.
    friend class CMpris;

  public:
    // Construction sets the initial values; no window is made yet.
    CMainFrame();
    ~CMainFrame() override;

    // Creates the window and its parts, loads the settings and shows it. False when a part could
    // not be made. openFirst, when given, runs once the parts are ready and before the window is
    // placed and shown, so that the player core opens the first medium meanwhile.
    bool CreateAndShow(const std::function<void()>& openFirst = {});

    // One row of the command table: what the menus show, the keys that run the command, what it
    // does (nothing when there is no handler) and when it is enabled and checked.
    struct CommandKey {
        int key = 0;  // 0: no key; Qt::Key_Return stands for both Enter keys
        Qt::KeyboardModifiers modifiers;
    };
    struct CommandRow {
        int id;
        const char* text;  // "&" before the mnemonic, "\t" before the key text; null: no menu item
        std::array<CommandKey, 2> keys;
        void (*handler)(CMainFrame&);
        frame_modes::EnableRule enable = frame_modes::EnableRule::Always;
        frame_modes::CheckRule check = frame_modes::CheckRule::None;
    };
    static std::span<const CommandRow> Commands();
    static const CommandRow* FindCommand(int id);
    // The command a typed key runs; 0 when the key is not in the table.
    static int CommandForKey(int key, Qt::KeyboardModifiers modifiers);

    // Runs a command as if chosen from a menu; a command its rule disables is ignored.
    void OnCommand(int id);
    bool IsCommandEnabled(int id) const;
    // The command's menu check mark; empty for a command without one.
    std::optional<bool> IsCommandChecked(int id) const;

    // Replaces a path naming a shortcut (a symbolic link or a desktop link entry) by its target;
    // a link whose target has no extension in its name stays as it is. True when it resolved.
    bool ResolveShortcut(QString& path) const;
    QString ResolveShortcut(const QString& path) const;
    // Opens a medium with the caption file found for it; a playlist file goes to OpenPlaylist.
    void OpenMediaPath(const QString& path);
    // Makes a caption file the current one for the medium that is loaded.
    void ApplySubtitleFile(const QString& path);
    // Loads a playlist file and opens its first entry.
    void OpenPlaylist(const QString& path);
    // What a drop of files does with them: only the last one counts.
    void OnDropFiles(const QStringList& paths);
    // What a second start handed over: the path that came with it, else "설정"/"파일", opened.
    void OnHandOver(const QString& sentPath = {});
    // Volume step 0 (loudest) .. 10 (silent), clamped.
    void SetVolumeStep(int step);
    void ResetToEmpty();

    // Display modes. Each does nothing while a medium without picture is open.
    void SetFullScreen(bool on);
    // Title bar and menu bar on or off; no layout of its own (callers lay out afterwards).
    void SetFramed(bool on);
    void ToggleControls();
    const frame_modes::ModeState& Modes() const { return modes_; }
    bool IsPointerShown() const { return pointerShown_; }
    void SetQuickMenu(int choice) { quickMenu_ = choice; }
    QMenu* ContextMenu() const { return contextMenu_; }

    // The layout rule applied to the window (see frame/Layout.h for the arithmetic).
    void RelayoutAtWidth();
    void RefreshLayout();
    // Lays out the current caption again and shows it.
    void LayoutCaption();

    // Settings held by the frame, loaded at creation and saved at destruction.
    struct Settings {
        int outlineColor = 0;
        int textColor = 0xFFFF;
        int captionPosition = 6;
        int extraLines = 0;
        int effect = 0;
        int sizeRatio = 36;
        QString fontName = QStringLiteral("굴림");
        int volumeStep = 1;
    };
    const Settings& CurrentSettings() const { return settings_; }
    bool IsReady() const { return ready_; }
    QRect RememberedRect() const { return rememberedRect_; }

    // Parts and state, for the parts that read them and for tests.
    CMediaPlayer2* Player() const { return player_; }
    CControlDlg* ControlBar() const { return controlBar_; }
    const CCaptionParser& CaptionParser() const { return parser_; }
    const CPlayList& PlayList() const { return playlist_; }
    int PlaylistLength() const { return playlistLength_; }
    long OpenState() const { return openState_; }
    long PlayState() const { return playState_; }
    bool IsPollTimerActive() const { return pollTimer_.isActive(); }
    CCaptionWnd* CaptionWindow() const { return captionWnd_; }
    QWidget* Content() const { return content_; }
    const frame_layout::LayoutResult& Layout() const { return layout_; }
    frame_layout::Size NaturalSize() const { return natural_; }
    bool IsSoundOnly() const { return soundOnly_; }
    frame_layout::Zoom ZoomState() const { return zoom_; }
    int CropPercent() const { return cropPercent_; }
    // How often the parts have been placed: a count for spotting layout storms.
    int LayoutPassCount() const { return layoutPasses_; }

    // The open-file dialogs; tests replace them. Each returns the chosen paths, empty on cancel.
    using FileChooser = std::function<QStringList(const QString& title, const QString& filter,
                                                  const QString& startFolder, bool multiple)>;
    void SetFileChooser(FileChooser chooser) { chooseFiles_ = std::move(chooser); }
    // The open-address dialog; tests replace it. The typed text, or nothing on cancel.
    using UrlAsker = std::function<std::optional<QString>()>;
    void SetUrlAsker(UrlAsker asker) { askUrl_ = std::move(asker); }

    // File associations (see app/Associations.h): the player's desktop entry is its file type.
    // Failures change nothing and are logged.
    bool IsExtensionAssociated(const QString& extension) const;
    bool IsMmsAssociated() const;
    void RegisterFileType();
    void AssociateExtension(const QString& extension);
    void RestoreExtension(const QString& extension);
    void AssociateMms();
    void RestoreMms();
    // The association dialog, its boxes pre-set from the queries; OK applies every box (the file
    // type first, "mms" last). True when it was closed with OK.
    bool OnAssociations();
    // Applies the eleven boxes of the association dialog, in its order.
    void ApplyAssociations(const std::array<bool, 11>& checked);

    static constexpr int kPollTimerId = 9449;  // the poll timer's name
    static constexpr int kPollPeriodMs = 250;

  signals:
    // Every path that reaches open-media-path, once per call.
    void mediaPathOpened(const QString& path);
    // A caption fragment was parsed.
    void captionParsed();

  protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    bool OnCreate(const std::function<void()>& openFirst);
    void ConnectParts();
    void LoadSettings();
    void LoadWindowPosition();
    void SaveSettings();
    void ApplySettings(const SetupValues& values);
    void Shutdown();
    void BringForward(const QString& activationToken);
    // Holds the screen saver off exactly while a picture plays in a visible window.
    void UpdateScreenSaver();

    // Layout.
    frame_layout::LayoutInputs LayoutInputs() const;
    frame_layout::NonClient NonClientSize() const;
    void ResizeOuter(int width);
    // Resizes the window, remembering the size until the window manager's answer for it has come.
    void AskSize(const QSize& size);
    void PlaceChildren(int cx, int cy);
    void PlaceCornerWindows();
    void PlaceMediaWindow();
    void UpdateMinimumSize();
    void HideCaption();
    void OnSize(const QSize& oldSize);
    CaptionStyle CaptionStyleFromSettings() const;

    // Display modes.
    void ApplyWindowFlag(Qt::WindowType flag, bool on);
    void ApplyFramed();
    // Runs a step that sizes or moves the window now, or, while the window manager is still
    // putting the window back from full screen, once it has.
    void WhenWindowed(std::function<void()> step);
    void FinishRestore();
    void LayoutForMode();
    void OnMaximizeRequest();
    void StandardView();
    void MinimalView();
    void ToggleTopmost();
    void Zoom(int factor);
    void BossKey();
    void ResetPosition();
    void ShowPointer(bool show);
    // Shows the hidden control bar while the pointer (screen point) is over its place.
    void HoverCheck(const QPoint& globalPoint);
    void OnIdlePointerTick(const QPoint& globalPoint);

    // Caption area.
    void SetExtraLines(int lines);
    void StepExtraLines(int delta);
    void StepCrop(int delta);
    void ResetCrop();
    void StepCaptionPosition(int delta);
    void StepSizeRatio(int delta);

    // Menus and the mouse on the picture.
    void BuildMenus();
    void RefreshMenu(QMenu* menu);
    void ShowContextMenu(const QPoint& globalPoint);
    void ConnectMouse();
    void OnMediaMouseUp(short button, const QPoint& globalPoint);
    void OnMediaMouseMove(short button, const QPoint& globalPoint);
    void StartWindowDrag(const QPoint& globalPoint);

    // Dialogs and programs the commands open.
    void OnSettings();
    void OnOpenUrl();
    void OnProperties();
    void OnStatistics();
    void OnSystemVolume();
    void OnAbout();

    // Commands.
    frame_modes::CommandState CommandStateNow() const;
    bool HandleKey(QKeyEvent* event);
    void OnOpenFile();
    void OnOpenSubtitle();
    void OnPlayPause();
    void OnStop();
    void OnStepPlaylist(bool forward);
    void OnSeek(double delta);
    void OnMute();
    void ClearPlaylistForSingleItem();
    // Opens one medium; false when the path opens nothing at all.
    bool OpenMedium(const QString& path);
    // Opens a playlist entry, moving on past entries that fail.
    void OpenPlaylistEntry(std::string entry);
    // After a failed entry: the entry to try next, or false when the list ends here.
    bool NextAfterFailedEntry(std::string& entry);
    void EnablePrevNext(bool enable);
    QStringList ChooseFiles(const QString& title, const QString& filter, const QString& startFolder,
                            bool multiple);

    // The media control's events.
    void OnOpenStateChange(long oldState, long newState);
    void OnPlayStateChange(long oldState, long newState);
    void OnPositionChange(double oldPosition, double newPosition);
    void OnScriptCommand(const QString& type, const QString& param);
    void OnMediaError();
    void OnEndOfStream(long result);
    void OnPollTimer();
    void ShowSeekPosition(double position);
    void ShowPosition(int seconds);
    void SetDurationText(int seconds);

    Settings settings_;
    bool ready_ = false;
    bool shutDown_ = false;
    bool settingsLoaded_ = false;
    frame_modes::ModeState modes_;
    bool restoring_ = false;  // left full screen; the window manager has not put it back yet
    std::function<void()> afterRestore_;
    bool pointerShown_ = true;
    int idleCounter_ = frame_modes::kIdleTicks;
    QPoint lastPointer_;
    QRect rememberedRect_;

    long openState_ = 0;
    long playState_ = 8;
    int playlistLength_ = -1;
    int failedEntries_ = 0;  // playlist entries failed in a row
    // Where a failed playlist entry moves on to: on towards the list's end, or round it in the
    // direction of the Next or Previous step that chose the entry.
    enum class Skip { Onward, Next, Previous };
    Skip skip_ = Skip::Onward;
    int lastShownSecond_ = -1;
    QString durationText_;
    QBasicTimer pollTimer_;

    CPlayList playlist_;
    CCaptionParser parser_;
    CInstanceServer* instanceServer_ = nullptr;
    QWidget* content_ = nullptr;
    CMediaPlayer2* player_ = nullptr;
    CControlDlg* controlBar_ = nullptr;
    CCaptionWnd* captionWnd_ = nullptr;
    CSurroundWnd* surround_ = nullptr;
    CCornerWnd* corners_[4] = {};
    CScreenSaverInhibitor* screenSaver_ = nullptr;
    CMpris* mpris_ = nullptr;
    FileChooser chooseFiles_;
    UrlAsker askUrl_;
    QMenu* contextMenu_ = nullptr;
    // Which button opens the context menu: false the right one (the left drags the window), true
    // the left one (and the window is not dragged by the picture). Chosen in the settings dialog.
    int quickMenu_ = 0;  // as the settings dialog hands it back; non-zero: the left button
    QPoint pressPoint_;  // where the left button went down; null when no drag may start

    // Layout state.
    frame_layout::Size natural_{320, 240};
    frame_layout::LayoutResult layout_;
    frame_layout::Placement placement_;
    frame_layout::Zoom zoom_ = frame_layout::Zoom::Free;
    int cropPercent_ = 0;
    int rememberedWidth_ = frame_layout::kInitialRememberedWidth;
    bool soundOnly_ = false;
    bool layoutSuspended_ = false;
    bool placing_ = false;
    QSize requestedSize_;      // the size the layout rule last asked the window manager for
    QList<QSize> askedSizes_;  // sizes asked for whose answers may still come, the latest last
    int layoutPasses_ = 0;
};
