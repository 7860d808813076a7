// The menu bar and the context menu, built from the command table, and the mouse on the picture:
// the context menu, dragging the window by its picture, double-click play/pause and the hover
// check of a hidden control bar.

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWindow>

#include "app/Commands.h"
#include "frame/MainFrame.h"
#include "frame/X11.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"

namespace {

// One entry of a menu layout: a command, a separator (id 0, no title) or a pop-up.
struct Entry {
    Entry() = default;
    Entry(int command, const char* ownText = nullptr) : id(command), text(ownText) {}
    Entry(const char* title, std::vector<Entry> items) : popup(title), entries(std::move(items)) {}
    int id = 0;
    const char* text = nullptr;  // instead of the command's own text
    const char* popup = nullptr;
    std::vector<Entry> entries;
};

Entry Popup(const char* title, std::vector<Entry> entries) {
    return {title, std::move(entries)};
}
const Entry kSeparator{};

Entry LinesMenu() {
    return Popup("하단여백", {{cmd::kLines0},
                              {cmd::kLines1},
                              {cmd::kLines2},
                              {cmd::kLines3},
                              {cmd::kLines4},
                              {cmd::kLines5},
                              {cmd::kLinesMore},
                              {cmd::kLinesLess}});
}
Entry CropMenu() {
    return Popup("좌우 자르기", {{cmd::kCropMore}, {cmd::kCropLess}, {cmd::kCropReset}});
}
Entry ZoomMenu() {
    return Popup("확대/축소(&Z)", {{cmd::kZoom100}, {cmd::kZoom200}, {cmd::kZoomFree}});
}
Entry LettersMenu() {
    return Popup("글꼴 크기", {{cmd::kLettersLarger}, {cmd::kLettersSmaller}});
}

std::vector<Entry> MenuBarLayout() {
    return {
        Popup("파일(&F)", {{cmd::kOpen},
                           {cmd::kOpenSubtitle},
                           {cmd::kOpenUrl},
                           kSeparator,
                           {cmd::kProperties},
                           kSeparator,
                           {cmd::kExit}}),
        Popup("보기(&V)",
              {{cmd::kStandardView},
               {cmd::kMinimalView},
               {cmd::kFullScreen},
               kSeparator,
               {cmd::kFramed},
               {cmd::kControls},
               kSeparator,
               LinesMenu(),
               CropMenu(),
               Popup("자막 위치", {{cmd::kCaptionUp}, {cmd::kCaptionDown}}),
               ZoomMenu(),
               LettersMenu(),
               kSeparator,
               {cmd::kTopmost},
               {cmd::kStatistics},
               {cmd::kSettings},
               kSeparator,
               {cmd::kBossKey},
               {cmd::kMinimize},
               // The window manager owns the system menu here: reset position goes at the end.
               kSeparator,
               {cmd::kResetPosition}}),
        Popup("재생(&P)", {{cmd::kPlayPause},
                           {cmd::kStop},
                           kSeparator,
                           {cmd::kForward30},
                           {cmd::kForward5},
                           {cmd::kBack5},
                           {cmd::kBack30},
                           kSeparator,
                           Popup("볼륨(&U)", {{cmd::kLouder}, {cmd::kSofter}, {cmd::kMute}}),
                           {cmd::kSystemVolume}}),
        Popup("도움말(&H)", {{cmd::kAbout}}),
    };
}

std::vector<Entry> ContextMenuLayout() {
    return {{cmd::kOpen},
            {cmd::kOpenSubtitle},
            {cmd::kOpenUrl},
            kSeparator,
            {cmd::kStandardView},
            {cmd::kMinimalView},
            {cmd::kFullScreen},
            kSeparator,
            {cmd::kFramed},
            {cmd::kControls},
            kSeparator,
            LinesMenu(),
            CropMenu(),
            Popup("자막 위치",
                  {{cmd::kCaptionUp, "위로\tCtrl+Up"}, {cmd::kCaptionDown, "아래로\tCtrl+Down"}}),
            LettersMenu(),
            ZoomMenu(),
            kSeparator,
            {cmd::kTopmost},
            {cmd::kStatistics},
            {cmd::kProperties},
            {cmd::kSettings},
            kSeparator,
            {cmd::kMinimize},
            {cmd::kSystemVolume},
            {cmd::kBossKey},
            kSeparator,
            {cmd::kExit}};
}

}  // namespace

void CMainFrame::BuildMenus() {
    const std::function<void(QMenu*, const std::vector<Entry>&)> fill =
        [&](QMenu* menu, const std::vector<Entry>& entries) {
            // Checks and enabling follow the state each time the menu opens.
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { RefreshMenu(menu); });
            for (const Entry& e : entries) {
                if (e.popup) {
                    fill(menu->addMenu(QString::fromUtf8(e.popup)), e.entries);
                } else if (e.id == 0) {
                    menu->addSeparator();
                } else {
                    const CommandRow* row = FindCommand(e.id);
                    QAction* action =
                        menu->addAction(QString::fromUtf8(e.text ? e.text : row->text));
                    action->setData(e.id);
                    action->setCheckable(row->check != frame_modes::CheckRule::None);
                    const int id = e.id;
                    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
                }
            }
        };
    QMenuBar* bar = menuBar();
    for (const Entry& e : MenuBarLayout())
        fill(bar->addMenu(QString::fromUtf8(e.popup)), e.entries);
    contextMenu_ = new QMenu(this);
    fill(contextMenu_, ContextMenuLayout());
}

void CMainFrame::RefreshMenu(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || action->menu()) continue;
        const int id = action->data().toInt();
        action->setEnabled(IsCommandEnabled(id));
        if (const std::optional<bool> checked = IsCommandChecked(id)) action->setChecked(*checked);
    }
}

void CMainFrame::ShowContextMenu(const QPoint& globalPoint) {
    if (contextMenu_) contextMenu_->popup(globalPoint);
}

void CMainFrame::OnMediaMouseUp(short button, const QPoint& globalPoint) {
    if (((button & 2) && !quickMenu_) || ((button & 1) && quickMenu_)) ShowContextMenu(globalPoint);
}

void CMainFrame::OnMediaMouseMove(short button, const QPoint& globalPoint) {
    if (button & 1) {
        if (!modes_.fullScreen && !quickMenu_) StartWindowDrag(globalPoint);
    } else if (button == 0 && !modes_.barHover) {
        HoverCheck(globalPoint);
    }
}

// The window follows the pointer as if its title bar were dragged, once the pointer has moved
// further than a click's jitter from where the button went down.
void CMainFrame::StartWindowDrag(const QPoint& globalPoint) {
    if (pressPoint_.isNull() ||
        (globalPoint - pressPoint_).manhattanLength() < QApplication::startDragDistance())
        return;
    pressPoint_ = QPoint();
    // A move handled after the button went up (a busy moment, a quick flick) starts no drag.
    if (!LeftButtonDown()) return;
    if (QWindow* window = windowHandle()) window->startSystemMove();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // Where the left button went down on the picture: the start of a possible window drag.
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) pressPoint_ = mouse->globalPosition().toPoint();
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressPoint_ = event->globalPosition().toPoint();
    QMainWindow::mousePressEvent(event);
}

void CMainFrame::mouseReleaseEvent(QMouseEvent* event) {
    const Qt::MouseButton b = event->button();
    if ((b == Qt::RightButton && !quickMenu_) || (b == Qt::LeftButton && quickMenu_))
        ShowContextMenu(event->globalPosition().toPoint());
    QMainWindow::mouseReleaseEvent(event);
}

void CMainFrame::mouseMoveEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (event->buttons() & Qt::LeftButton) {
        if (!modes_.fullScreen && !quickMenu_) StartWindowDrag(global);
    } else if (!modes_.barHover) {
        HoverCheck(global);  // also with another button held
    }
    QMainWindow::mouseMoveEvent(event);
}

void CMainFrame::ConnectMouse() {
    CMediaPlayer2* p = player_;
    QWidget* media = p->MediaWindow();
    media->installEventFilter(this);
    const auto global = [media](long x, long y) {
        return media->mapToGlobal(QPoint(int(x), int(y)));
    };
    connect(p, &CMediaPlayer2::MouseUp, this, [this, global](short button, short, long x, long y) {
        OnMediaMouseUp(button, global(x, y));
    });
    connect(p, &CMediaPlayer2::MouseMove, this,
            [this, global](short button, short, long x, long y) {
                OnMediaMouseMove(button, global(x, y));
            });
    connect(p, &CMediaPlayer2::DblClick, this, [this](short button, short, long, long) {
        if (button == 1) OnCommand(cmd::kPlayPause);
    });
}
