// The dialogs the frame's commands open: statistics and properties filled from a playing clip,
// the open-address and about boxes, the association dialog, the address check and the system mixer.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

#include "dialogs/AboutDlg.h"
#include "dialogs/AssocDlg.h"
#include "dialogs/OpenableAddress.h"
#include "dialogs/PropertiesDlg.h"
#include "dialogs/StatisticsDlg.h"
#include "dialogs/SystemMixer.h"
#include "dialogs/UrlDlg.h"
#include "playback/MediaPlayer2.h"
#include "tests/support/TestEnv.h"

namespace {

using testenv::WaitUntil;

// Runs act on the modal dialog the next call opens, once it is shown.
void WhenModal(std::function<void(QDialog*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible()) return;
        poll->deleteLater();
        poll->stop();
        act(dlg);
    });
    poll->start(10);
}

// The texts of a dialog's labels; each must be shown whole.
QStringList LabelTexts(const QWidget* w) {
    QStringList texts;
    for (const QLabel* l : w->findChildren<QLabel*>()) {
        texts << l->text();
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
    }
    return texts;
}

QList<QMessageBox*> ShownBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) boxes << box;
    return boxes;
}

bool OpenAndWait(CMediaPlayer2& p, const QString& path) {
    p.SetFileName(path);
    return WaitUntil([&] { return p.GetOpenState() == CMediaPlayer2::kOpen; }, 10000);
}

}  // namespace

TEST(DialogsTest, OnlyNetworkAddressesOfPlayableSchemesAreOpenable) {
    using List = std::initializer_list<std::string_view>;
    for (std::string_view text : List{"http://example.com/a.asf", "HTTPS://h/v", "mms://h/live",
                                      "rtsp://10.0.0.1:554/s", "  http://h/x  "})
        EXPECT_TRUE(velmora::dialogs::IsOpenableAddress(text)) << text;
    for (std::string_view text :
         List{"", "   ", "http://", "file:///etc/passwd", "javascript:x", "; rm -rf /", "av://x",
              "/home/user/a.avi", "http://a\nb", std::string_view("http://a\0b", 10)})
        EXPECT_FALSE(velmora::dialogs::IsOpenableAddress(text)) << text;
}

TEST(DialogsTest, StatisticsShowThePlayingClipAndFollowIt) {
    const QString clip = testenv::VideoClip();
    auto* player = new CMediaPlayer2;
    ASSERT_TRUE(OpenAndWait(*player, clip));
    QWidget owner;
    auto* dlg = CStatisticsDlg::Open(&owner, player);
    EXPECT_EQ(CStatisticsDlg::Open(&owner, player), dlg);  // one per owner
    QSignalSpy refreshed(dlg, &CMediaFactsDlg::Refreshed);
    ASSERT_TRUE(refreshed.wait(10000));

    // The test clip: H.264 at 320 x 240 and 25 frames a second, 4 s, one sound channel.
    const std::pair<const char*, QString> facts[] = {
        {"file", clip},        {"size", "320 x 240"},   {"display-size", "320 x 240"},
        {"fps", "25.000 fps"}, {"duration", "0:00:04"}, {"channels", "1"},
        {"dropped", "0"}};
    for (const auto& [key, value] : facts) EXPECT_EQ(dlg->ValueText(key), value) << key;
    EXPECT_TRUE(dlg->ValueText("video-codec").startsWith("h264"));

    // The timer asks again while the dialog is shown: the position moves on.
    const QString first = dlg->ValueText("position");
    EXPECT_TRUE(WaitUntil([&] { return dlg->ValueText("position") != first; }, 10000));

    // Hidden, it asks no more.
    dlg->hide();
    refreshed.clear();
    testenv::Spin(2500);
    EXPECT_EQ(refreshed.count(), 0);

    // The player goes first: the next refresh shows nothing known, and nothing breaks.
    dlg->show();
    delete player;
    EXPECT_TRUE(WaitUntil([&] { return dlg->ValueText("file") == "-"; }, 10000));
    dlg->close();  // deletes itself
    EXPECT_TRUE(WaitUntil([&] { return !owner.findChild<CStatisticsDlg*>(); }, 5000));
}

TEST(DialogsTest, PropertiesAskOnceAndAnswersForDeadAskersAreDropped) {
    CMediaPlayer2 player;
    ASSERT_TRUE(OpenAndWait(player, testenv::AudioClip()));
    auto owner = std::make_unique<QWidget>();
    auto* dlg = CPropertiesDlg::Open(owner.get(), &player);
    QSignalSpy refreshed(dlg, &CMediaFactsDlg::Refreshed);
    ASSERT_TRUE(refreshed.wait(10000));
    EXPECT_EQ(dlg->ValueText("size"), "-");  // no picture
    EXPECT_EQ(dlg->ValueText("samplerate"), "44100 Hz");
    testenv::Spin(1500);
    EXPECT_EQ(refreshed.count(), 1);

    // A question whose asker is gone before the answer comes is never answered; the answers keep
    // coming to the others (in order), with an invalid value for what mpv does not know.
    auto* asker = new QObject;
    bool deadAnswered = false;
    player.QueryProperties({"path"}, asker, [&](const QVariantMap&) { deadAnswered = true; });
    CPropertiesDlg::Open(owner.get(), &player);  // a second dialog, asking at once
    owner.reset();                               // the dialogs die with their questions open
    delete asker;
    QVariantMap answer;
    QObject alive;
    player.QueryProperties({"path", "no-such-property", "path"}, &alive,
                           [&](const QVariantMap& v) { answer = v; });
    ASSERT_TRUE(WaitUntil([&] { return !answer.isEmpty(); }, 10000));
    EXPECT_FALSE(deadAnswered);
    EXPECT_EQ(answer.size(), 2);
    EXPECT_EQ(answer["path"].toString(), testenv::AudioClip());
    EXPECT_FALSE(answer["no-such-property"].isValid());
}

TEST(DialogsTest, UrlDialogHandsBackTheTextAsTypedAndStartsEmpty) {
    QWidget owner;
    WhenModal([](QDialog* dlg) {
        LabelTexts(dlg);  // every label shown whole
        auto* edit = dlg->findChild<QLineEdit*>();
        ASSERT_TRUE(edit);
        EXPECT_EQ(dlg->focusWidget(), edit);
        QTest::keyClicks(edit, "  mms://x/a b  ");
        QTest::keyClick(edit, Qt::Key_Return);  // OK is the default button
    });
    EXPECT_EQ(CUrlDlg::Ask(&owner), std::optional<QString>("  mms://x/a b  "));

    WhenModal([](QDialog* dlg) {
        EXPECT_EQ(dlg->findChild<QLineEdit*>()->text(), "");
        for (QPushButton* b : dlg->findChildren<QPushButton*>())
            if (b->text() == "취소") b->click();
    });
    EXPECT_EQ(CUrlDlg::Ask(&owner), std::nullopt);
}

TEST(DialogsTest, AboutShowsNameVersionAndDate) {
    WhenModal([](QDialog* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Velmora");
        const QStringList texts = LabelTexts(dlg);
        EXPECT_TRUE(texts.contains("Velmora 버전 1.31"));
        EXPECT_TRUE(texts.contains("(최종수정일 : 2002/12/01) "));
        dlg->findChild<QPushButton*>()->click();
    });
    CAboutDlg::Show(nullptr);
}

// The boxes in item order under ids 1043..1053, each shown whole; "전체 선택" checks all unless
// all are checked; OK hands the boxes back, Cancel nothing.
TEST(DialogsTest, AssociationDialogShowsTheItemsAndHandsBackItsBoxes) {
    CAssocDlg::Checks preset{};
    preset[0] = preset[10] = true;
    CAssocDlg dlg(nullptr, preset);
    dlg.show();
    const QStringList items =
        QString(".avi|.asf|.mpg|.mpeg|.dat|.divx|.asx|.wmv|.wvx|.wmp|mms(인터넷 스트리밍)")
            .split('|');
    for (int i = 0; i < 11; ++i) {
        const auto* box = dlg.findChild<QCheckBox*>(QString::number(1043 + i));
        ASSERT_TRUE(box) << i;
        EXPECT_EQ(box->text(), items[i]);
        EXPECT_GE(box->width(), box->sizeHint().width()) << i;
    }
    LabelTexts(&dlg);
    EXPECT_EQ(dlg.Checked(), preset);
    auto* all = dlg.findChild<QPushButton*>("1054");
    all->click();  // all on (the first run's end-to-end test associates them all this way)
    all->click();  // all were on: all off
    EXPECT_EQ(dlg.Checked(), CAssocDlg::Checks{});

    for (const char* button : {"1", "2"}) {
        WhenModal([button](QDialog* d) {
            d->findChild<QCheckBox*>("1047")->click();  // .dat
            d->findChild<QPushButton*>(button)->click();
        });
        const std::optional<CAssocDlg::Checks> chosen = CAssocDlg::Ask(nullptr, preset);
        CAssocDlg::Checks expected = preset;
        expected[4] = true;
        EXPECT_EQ(chosen, button == std::string("1") ? std::optional(expected) : std::nullopt);
    }
}

TEST(DialogsTest, SystemMixerStartsTheFirstInstalledProgramOrSaysSo) {
    QWidget owner;
    EXPECT_FALSE(OpenSystemMixer(&owner, {}));
    EXPECT_FALSE(OpenSystemMixer(&owner, {{"", {}}, {"velmora-no-such-mixer", {"sound"}}}));
    const QList<QMessageBox*> boxes = ShownBoxes();
    ASSERT_EQ(boxes.size(), 2);  // neither call waited for its box
    for (QMessageBox* box : boxes) {
        EXPECT_EQ(box->text(), "시스템 볼륨 조절 프로그램을 찾을 수 없습니다.");
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons()[0]->text(), "확인");
        box->buttons()[0]->click();
    }
    EXPECT_TRUE(WaitUntil([] { return ShownBoxes().isEmpty(); }));

    EXPECT_TRUE(OpenSystemMixer(&owner, {{"velmora-no-such-mixer", {}}, {"true", {"--x"}}}));
    EXPECT_TRUE(ShownBoxes().isEmpty());
}
