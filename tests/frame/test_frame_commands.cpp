// The command table as the viewer meets it: every key of the accelerator table, the menu bar and
// the context menu with their texts, order, checks and enabling, and a disabled command ignored
// whichever way it arrives.

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "app/Commands.h"
#include "controls/ControlBarRules.h"
#include "controls/ControlDlg.h"
#include "controls/MyFlatButton.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"
#include "tests/support/FrameTest.h"

namespace {

using testenv::WaitUntil;

// Every designed key and the command it runs; 0 for keys that must do nothing.
TEST(FrameKeys, EveryKeyRunsItsCommand) {
    // 0: keys that must run nothing (Ctrl+0 only shows as the text of the reset-position item).
    // clang-format off
    const std::pair<const char*, int> rows[] = {
        {"Ctrl+O", cmd::kOpen}, {"Alt+O", cmd::kOpenSubtitle}, {"Ctrl+S", cmd::kOpenUrl},
        {"Ctrl+R", cmd::kProperties}, {"Ctrl+Q", cmd::kProperties}, {"Alt+F4", cmd::kExit},
        {"Ctrl+1", cmd::kStandardView}, {"Ctrl+2", cmd::kMinimalView}, {"Ctrl+T", cmd::kTopmost},
        {"Alt+Return", cmd::kFullScreen}, {"Alt+Num+Enter", cmd::kFullScreen},
        {"Esc", cmd::kFullScreenKey}, {"Shift+Return", cmd::kFramed},
        {"Ctrl+Return", cmd::kControls}, {"Ctrl+P", cmd::kSettings}, {"Return", cmd::kBossKey},
        {"Num+Enter", cmd::kBossKey}, {"Alt+1", cmd::kZoom100}, {"Alt+2", cmd::kZoom200},
        {"Ctrl+PgUp", cmd::kLettersLarger}, {"Ctrl+PgDown", cmd::kLettersSmaller},
        {"Num++", cmd::kLinesMore}, {"Ctrl+Down", cmd::kLinesMore}, {"Num+-", cmd::kLinesLess},
        {"Ctrl+Up", cmd::kLinesLess}, {"]", cmd::kCropMore}, {"Alt+Right", cmd::kCropMore},
        {"[", cmd::kCropLess}, {"Alt+Left", cmd::kCropLess}, {"=", cmd::kCropReset},
        {"Alt+Up", cmd::kCaptionUp}, {"Alt+Down", cmd::kCaptionDown}, {"Space", cmd::kPlayPause},
        {".", cmd::kStop}, {"Ctrl+Right", cmd::kForward30}, {"Right", cmd::kForward5},
        {"Num+Right", cmd::kForward5}, {"Left", cmd::kBack5}, {"Ctrl+Left", cmd::kBack30},
        {"Up", cmd::kLouder}, {"Down", cmd::kSofter}, {"Ctrl+M", cmd::kMute},
        {"PgDown", cmd::kNext}, {"PgUp", cmd::kPrevious}, {"`", cmd::kNothing},
        {"Ctrl+C", cmd::kCopy}, {"Ctrl+Ins", cmd::kCopy}, {"Shift+Del", cmd::kCut},
        {"Ctrl+X", cmd::kCut}, {"Ctrl+V", cmd::kPaste}, {"Shift+Ins", cmd::kPaste},
        {"Alt+Backspace", cmd::kUndo}, {"Ctrl+Z", cmd::kUndo}, {"F6", cmd::kNextPane},
        {"Shift+F6", cmd::kPreviousPane}, {"+", 0}, {"-", 0}, {"Ctrl+0", 0}, {"Shift+Space", 0}};
    // clang-format on
    for (const auto& [keys, command] : rows) {
        const QKeyCombination key = QKeySequence(QString::fromUtf8(keys))[0];
        EXPECT_EQ(CMainFrame::CommandForKey(key.key(), key.keyboardModifiers()), command) << keys;
    }
    // The do-nothing keys run nothing.
    for (const int id : {cmd::kNothing, cmd::kCopy, cmd::kNextPane})
        EXPECT_EQ(CMainFrame::FindCommand(id)->handler, nullptr);
}

// Texts of a menu's items in order: "|" for a separator, "[title: ...]" for a pop-up.
QString Layout(const QMenu* menu) {
    QStringList items;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator())
            items << "|";
        else if (a->menu())
            items << "[" + a->text() + ": " + Layout(a->menu()) + "]";
        else
            items << a->text();
    }
    return items.join(", ");
}

class FrameMenuTest : public FrameTest {
  protected:
    QAction* Action(const QMenu* menu, int id) {
        for (QAction* a : menu->actions())
            if (QAction* found = a->menu() ? Action(a->menu(), id) : a;
                found && found->data().toInt() == id)
                return found;
        return nullptr;
    }
    // The state the menus show when they open: "on", "off", "disabled", "" (no mark) or "none"
    // (no item).
    QString Shown(int id) {
        QList<QMenu*> menus{frame_->ContextMenu()};
        for (const QAction* a : frame_->menuBar()->actions()) menus << a->menu();
        for (QMenu* menu : menus) {
            if (QAction* a = Action(menu, id)) {
                emit qobject_cast<QMenu*>(a->parent())->aboutToShow();
                if (!a->isEnabled()) return "disabled";
                return a->isCheckable() ? (a->isChecked() ? "on" : "off") : "";
            }
        }
        return "none";
    }
};

TEST_F(FrameMenuTest, MenusShowTheDesignedItemsInOrder) {
    Start();
    QStringList bar;
    for (const QAction* a : frame_->menuBar()->actions())
        bar << a->text() + ": " + Layout(a->menu());
    const QString lines = "[하단여백: 없음, 1줄, 2줄, 3줄, 4줄, 5줄, 추가\t+, 감소\t-]";
    const QString crop = "[좌우 자르기: 추가\t], 감소\t[, 초기화\t=]";
    const QString zoom = "[확대/축소(&Z): 100%\tAlt+1, 200%\tAlt+2, 기타]";
    const QString letters = "[글꼴 크기: 크게\tCtrl+PageUp, 작게\tCtrl+PageDown]";
    EXPECT_EQ(bar, QStringList({
                       "파일(&F): 열기(&O)\tCtrl+O, 자막 열기\tAlt+O, URL 열기(&S)\tCtrl+S, |, "
                       "등록정보\tCtrl+R, |, 끝내기(&X)",
                       "보기(&V): 표준(&V)\tCtrl+1, 최소(&M)\tCtrl+2, 전체 화면 \tAlt+Enter, |, "
                       "창틀 있음/없음\tShift+Enter, 컨트롤 보기/감춤\tCtrl+Enter, |, " +
                           lines + ", " + crop + ", [자막 위치: 위로\tAlt+Up, 아래로\tAlt+Down], " +
                           zoom + ", " + letters +
                           ", |, 항상위(&W)\tCtrl+T, 통계(&I), 환경 설정(&E)\tCtrl+P, |, "
                           "보스 등장\tEnter, 최소화, |, 위치 초기화(&I)\tCtrl+0",
                       "재생(&P): 재생/일시 중지(&P)\tSpace, 중지(&S)\tPeriod, |, "
                       "30초 앞으로\tCtrl+Right, 5초 앞으로\tRight Arrow, 5초 뒤로\tLeft Arrow, "
                       "30초 뒤로\tCtrl+Left, |, [볼륨(&U): 크게(&U)\t위쪽 화살표, "
                       "작게(&U)\t아래쪽 화살표, 음소거(&M)\tCtrl+M], 시스템 볼륨",
                       "도움말(&H): Velmora 정보(&A)...",
                   }));
    EXPECT_EQ(Layout(frame_->ContextMenu()),
              "열기(&O)\tCtrl+O, 자막 열기\tAlt+O, URL 열기(&S)\tCtrl+S, |, 표준(&V)\tCtrl+1, "
              "최소(&M)\tCtrl+2, 전체 화면 \tAlt+Enter, |, 창틀 있음/없음\tShift+Enter, "
              "컨트롤 보기/감춤\tCtrl+Enter, |, " +
                  lines + ", " + crop + ", [자막 위치: 위로\tCtrl+Up, 아래로\tCtrl+Down], " +
                  letters + ", " + zoom +
                  ", |, 항상위(&W)\tCtrl+T, 통계(&I), 등록정보\tCtrl+R, 환경 설정(&E)\tCtrl+P, |, "
                  "최소화, 시스템 볼륨, 보스 등장\tEnter, |, 끝내기(&X)");
}

// Checks and enabling follow the state when a menu opens ("none": no menu item); a disabled
// command is ignored by key and by command as well.
TEST_F(FrameMenuTest, ChecksAndEnablingFollowTheState) {
    Start();
    const auto shown = [&](std::initializer_list<int> ids) {
        QStringList states;
        for (const int id : ids) states << Shown(id);
        return states.join(' ');
    };
    EXPECT_EQ(shown({cmd::kProperties, cmd::kNext, cmd::kSettings, cmd::kStandardView, cmd::kLines0,
                     cmd::kMute}),
              "disabled none  on on off");
    for (const int id : {cmd::kLines2, cmd::kFramed, cmd::kTopmost}) frame_->OnCommand(id);
    EXPECT_EQ(shown({cmd::kLines0, cmd::kLines2, cmd::kFramed, cmd::kStandardView, cmd::kTopmost}),
              "off on off off on");
    frame_->OnCommand(cmd::kMute);
    EXPECT_TRUE(WaitUntil([&] { return Shown(cmd::kMute) == "on"; }));

    frame_->OnCommand(cmd::kProperties);  // disabled: nothing opens
    frame_->OnCommand(cmd::kFullScreen);
    ASSERT_TRUE(frame_->Modes().fullScreen);
    EXPECT_EQ(Shown(cmd::kStandardView), "disabled");
    QTest::keyClick(frame_.get(), Qt::Key_1, Qt::ControlModifier);  // standard view, disabled
    EXPECT_FALSE(frame_->Modes().framed);
}

// A command the control bar posted just before the window closed arrives after the close: it must
// find nothing left to change rather than parts already gone.
TEST_F(FrameMenuTest, CommandsArrivingAfterTheCloseDoNothing) {
    Start();
    for (const int id : {controlbar::kIdCropIn, controlbar::kIdMarginDown})
        QTest::mouseClick(frame_->ControlBar()->Button(id), Qt::LeftButton);
    frame_->close();
    testenv::Spin(200);
    EXPECT_EQ(frame_->CropPercent(), 0);
}

// Without a window manager full screen never comes: the picture and the bar are laid out in the
// window's size for the mode asked, and leaving shows a pointer the idle time hid.
TEST_F(FrameMenuTest, FullScreenWithoutAWindowManager) {
    Start();
    frame_->OpenMediaPath(testenv::VideoClip());
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 2; }, 15000));
    const QWidget* media = frame_->Player()->MediaWindow();
    const QWidget* content = frame_->Content();
    for (const bool full : {true, false}) {
        frame_->OnCommand(cmd::kFullScreen);
        EXPECT_TRUE(WaitUntil([&] {
            const QRect m = media->geometry();
            return full ? std::abs(m.top() + m.bottom() + 1 - content->height()) <= 1
                        : m.top() == 0 &&
                              frame_->ControlBar()->geometry().bottom() == content->height() - 1;
        })) << full
            << " picture " << media->geometry().y() << " in " << content->height();
        if (full) {
            ASSERT_TRUE(WaitUntil([&] { return !frame_->IsPointerShown(); }, 15000));
        }
    }
    EXPECT_TRUE(frame_->IsPointerShown());
}

// A one-file web server: every request gets the whole file.
struct FileServer : QTcpServer {
    explicit FileServer(const QString& path) {
        QFile f(path);
        const QByteArray body = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        connect(this, &QTcpServer::newConnection, this, [this, body] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [s, body] {
                    if (!s->readAll().contains("\r\n\r\n") || s->property("sent").toBool()) return;
                    s->setProperty("sent", true);
                    s->write("HTTP/1.1 200 OK\r\nContent-Type: video/mp4\r\nContent-Length: " +
                             QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
                             body);
                    s->disconnectFromHost();
                });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
        listen(QHostAddress::LocalHost);
    }
};

// The open-address command plays a stream served here, refuses what is not a stream address,
// and a dead address takes the error path back to the empty state, the player still usable.
TEST_F(FrameMenuTest, OpenUrlPlaysAStreamAndSurvivesADeadOne) {
    Start();
    FileServer server(testenv::VideoClip());
    ASSERT_TRUE(server.isListening());
    QString typed;
    frame_->SetUrlAsker([&] { return std::optional<QString>(typed); });
    const auto open = [&](const QString& address) {
        typed = address;
        frame_->OnCommand(cmd::kOpenUrl);
    };

    open(QString("  http://127.0.0.1:%1/clip.mp4 \n").arg(server.serverPort()));
    ASSERT_TRUE(WaitUntil([&] { return frame_->PlayState() == 2; }, 15000));
    EXPECT_EQ(frame_->windowTitle(), "clip.mp4 - Velmora");
    EXPECT_EQ(frame_->PlaylistLength(), -1);

    open("file:///etc/passwd");  // refused with a message: what plays goes on
    EXPECT_TRUE(WaitUntil([&] {
        for (QMessageBox* box : frame_->findChildren<QMessageBox*>())
            if (box->isVisible() && box->text().contains("file:///etc/passwd")) return box->close();
        return false;
    }));
    EXPECT_EQ(frame_->PlayState(), 2);

    open("http://127.0.0.1:1/none.mp4");
    ASSERT_TRUE(WaitUntil([&] { return frame_->OpenState() == 0; }, 15000));
    EXPECT_EQ(frame_->windowTitle(), "Velmora");
    frame_->OpenMediaPath(testenv::VideoClip());
    EXPECT_TRUE(WaitUntil([&] { return frame_->PlayState() == 2; }, 15000));
}

}  // namespace
