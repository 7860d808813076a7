// The command table as the viewer meets it: its keys, the menu bar and the context menu, checks
// and enabling, and a disabled command ignored whichever way it arrives.

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <functional>
#include <map>

#include "app/Commands.h"
#include "controls/ControlBarRules.h"
#include "controls/ControlDlg.h"
#include "controls/MyFlatButton.h"
#include "playback/MediaPlayer2.h"
#include "playback/MediaWindow.h"
#include "tests/support/FrameTest.h"

namespace {

using testenv::WaitUntil;

// Every key of the table reaches its own command (none is shadowed by another row); both Enter
// keys count as Return, the keypad only for + and -, and unbound keys run nothing.
TEST(FrameKeys, EveryKeyRunsItsCommand) {
    for (const CMainFrame::CommandRow& row : CMainFrame::Commands())
        for (const CMainFrame::CommandKey& k : row.keys)
            if (k.key != 0) {
                EXPECT_EQ(CMainFrame::CommandForKey(k.key, k.modifiers), row.id) << row.id;
            }
    // clang-format off
    const std::pair<const char*, int> rows[] = {
        {"Num+Enter", cmd::kBossKey}, {"Alt+Num+Enter", cmd::kFullScreen}, {"Num+Right", cmd::kForward5},
        {"Num++", cmd::kLinesMore}, {"+", 0}, {"-", 0}, {"Ctrl+0", 0}, {"Shift+Space", 0}};
    // clang-format on
    for (const auto& [keys, command] : rows) {
        const QKeyCombination key = QKeySequence(QString::fromUtf8(keys))[0];
        EXPECT_EQ(CMainFrame::CommandForKey(key.key(), key.keyboardModifiers()), command) << keys;
    }
    for (const int id : {cmd::kNothing, cmd::kCopy, cmd::kNextPane})
        EXPECT_EQ(CMainFrame::FindCommand(id)->handler, nullptr);
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

// Every command with a text is in the menu bar under that text, once; the context menu holds only
// commands of the table, with its own texts for moving the caption.
TEST_F(FrameMenuTest, MenusHoldEveryCommandOfTheTable) {
    Start();
    std::map<int, int> inBar;
    QStringList contextTexts;
    const std::function<void(const QMenu*, bool)> walk = [&](const QMenu* menu, bool bar) {
        for (const QAction* a : menu->actions()) {
            if (a->menu()) {
                walk(a->menu(), bar);
            } else if (!a->isSeparator()) {
                const CMainFrame::CommandRow* row = CMainFrame::FindCommand(a->data().toInt());
                ASSERT_TRUE(row && row->text) << a->text().toStdString();
                if (bar) {
                    EXPECT_EQ(a->text(), QString::fromUtf8(row->text));
                }
                bar ? void(++inBar[row->id]) : void(contextTexts << a->text());
            }
        }
    };
    for (const QAction* a : frame_->menuBar()->actions()) walk(a->menu(), true);
    walk(frame_->ContextMenu(), false);
    for (const CMainFrame::CommandRow& row : CMainFrame::Commands())
        EXPECT_EQ(inBar[row.id], row.text ? 1 : 0) << row.id;
    EXPECT_TRUE(contextTexts.contains("위로\tCtrl+Up") &&
                contextTexts.contains("아래로\tCtrl+Down"));
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
