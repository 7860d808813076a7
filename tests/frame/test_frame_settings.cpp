// Captions on a playing clip in the main window, and the settings dialog driven as a viewer would:
// what OK changes on the screen, what Cancel leaves alone, and the default caption folder in use at
// the next open.

#include <QAbstractButton>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "app/Commands.h"
#include "captions/CaptionWnd.h"
#include "dialogs/SetupDlg.h"
#include "tests/support/FrameTest.h"

namespace {

using testenv::WaitUntil;

struct Letters {
    int yellow = 0, white = 0, fringed = 0, shadowed = 0, top = -1, bottom = -1;
    int greyOutside = 0, otherOutside = 0;  // the picture sampled clear of the letters' rows
    int Height() const { return bottom - top; }
};

bool Grey(QRgb c) {
    return std::abs(qRed(c) - 128) < 40 && std::abs(qGreen(c) - 128) < 40 &&
           std::abs(qBlue(c) - 128) < 40;
}

// Yellow or white letter pixels of the picture, their rows, yellow ones with a dark pixel one down
// and one right (the fringe), white ones with a dark pixel two down and two right (a shadow).
Letters Look(const QImage& image) {
    Letters l;
    for (int y = 0; y + 2 < 480; ++y) {
        for (int x = 0; x + 2 < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            const bool yellow = qRed(c) > 220 && qGreen(c) > 220 && qBlue(c) < 60;
            const bool white = qRed(c) > 220 && qGreen(c) > 220 && qBlue(c) > 220;
            if (!yellow && !white) continue;
            (yellow ? l.yellow : l.white)++;
            l.fringed += yellow && qGray(image.pixel(x + 1, y + 1)) < 40;
            l.shadowed += white && qGray(image.pixel(x + 2, y + 2)) < 40;
            if (l.top < 0) l.top = y;
            l.bottom = y;
        }
    }
    for (int y = 0; y < 480; y += 7)
        for (int x = 0; x < image.width() && (l.top < 0 || y < l.top - 4 || y > l.bottom + 6);
             x += 7)
            (Grey(image.pixel(x, y)) ? l.greyOutside : l.otherOutside)++;
    return l;
}

class FrameSettingsTest : public FrameTest {
  protected:
    // A 640 x 480 grey clip with one caption up to endMs; the caption file lies in folder.
    QString Movie(const QString& name, const QString& captionFolder, int endMs = 60000) {
        const QString clip = testenv::GreyClip("640x480", 10);
        const QString movie = dir_.path() + "/" + name + ".mp4";
        EXPECT_TRUE(QFile::copy(clip, movie));
        const QString smi = QString(
                                "<SAMI><BODY><SYNC Start=0><P>자막 글자 HELLO\n"
                                "<SYNC Start=%1><P>&nbsp;</BODY></SAMI>")
                                .arg(endMs);
        EXPECT_FALSE(
            testenv::WriteFile(captionFolder + "/" + name + ".smi", smi.toUtf8()).isEmpty());
        return movie;
    }
    // Opens the settings dialog, lets act work its controls, and waits until it is closed.
    void RunDialog(const std::function<void(CSetupDlg*)>& act) {
        QTimer::singleShot(0, frame_.get(), [&] {
            CSetupDlg* dialog = frame_->findChild<CSetupDlg*>();
            ASSERT_NE(dialog, nullptr);
            act(dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        frame_->OnCommand(cmd::kSettings);
    }
    static void Click(CSetupDlg* d, const char* id) {
        QTest::mouseClick(d->findChild<QAbstractButton*>(id), Qt::LeftButton);
    }
    Letters Shown() {
        testenv::Spin(300);
        return Look(frame_->Content()->grab().toImage());
    }
    QByteArray SettingsFile() const {
        QFile f(SettingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(FrameSettingsTest, CaptionShowsOverThePictureAndClearsAfterABlankBlock) {
    Start();
    EXPECT_EQ(frame_->width(), 368);  // the least width before any medium
    const int menu = frame_->height() - frame_->Content()->height();
    frame_->OpenMediaPath(Movie("short", dir_.path(), 1500));
    CCaptionWnd* caption = frame_->CaptionWindow();
    ASSERT_TRUE(WaitUntil([&] { return caption->IsShowingCaption(); }, 8000));
    EXPECT_EQ(frame_->Content()->size(), QSize(640, 480 + 58));  // the picture's size, bar below
    const Letters shown = Shown();
    EXPECT_GT(shown.yellow, 200);
    EXPECT_GT(shown.fringed, 20);
    // Position 6: the last line's bottom 480 * 6 / 120 rows above the picture's bottom.
    EXPECT_NEAR(shown.bottom, 480 - 24, 8);
    EXPECT_GT(shown.top, 380);
    EXPECT_EQ(shown.otherOutside, 0);
    EXPECT_GT(shown.greyOutside, 1000);
    ASSERT_TRUE(WaitUntil([&] { return !caption->IsShowingCaption(); }, 8000));
    EXPECT_EQ(Shown().yellow, 0);
    frame_->resize(400, 300);  // by its right edge: the picture keeps its shape
    testenv::Spin(100);
    EXPECT_EQ(frame_->size(), QSize(400, menu + 300 + 58));
}

TEST_F(FrameSettingsTest, OkChangesTheCaptionOnScreenAndCancelChangesNothing) {
    Start();
    frame_->OpenMediaPath(Movie("movie", dir_.path()));
    ASSERT_TRUE(WaitUntil([&] { return frame_->CaptionWindow()->IsShowingCaption(); }, 8000));
    ASSERT_EQ(frame_->Content()->height(), 480 + 58);
    const Letters before = Shown();
    ASSERT_GT(before.yellow, 200);

    // Cancel after changes: nothing applied, the settings file untouched.
    CProfile::Write(profile::kCaptionFolder, QString());
    const QByteArray stored = SettingsFile();
    RunDialog([](CSetupDlg* d) {
        Click(d, "31020");
        d->findChild<QLineEdit*>("31000")->setText("16");
        Click(d, "2");
    });
    EXPECT_EQ(SettingsFile(), stored);
    EXPECT_EQ(frame_->Content()->height(), 480 + 58);

    // Two extra lines: the layout rule's 605 rows.
    RunDialog([](CSetupDlg* d) {
        Click(d, "31020");
        Click(d, "1");
    });
    EXPECT_TRUE(WaitUntil([&] { return frame_->Content()->height() == 605; }));
    EXPECT_EQ(frame_->CurrentSettings().extraLines, 2);

    // White letters with a shadow, size 10 -> 16: taller letters, a shadow down and right.
    RunDialog([](CSetupDlg* d) {
        d->SetColourChooser([](QWidget*, uint32_t) { return std::optional<uint32_t>(0xFFFFFF); });
        Click(d, "31009");
        Click(d, "31015");  // "none" cleared: outline and shadow can be chosen
        Click(d, "31017");
        d->findChild<QLineEdit*>("31000")->setText("16");
        Click(d, "31018");  // no extra lines again
        Click(d, "1");
    });
    EXPECT_EQ(frame_->CurrentSettings().sizeRatio, 30);
    EXPECT_EQ(frame_->CurrentSettings().effect, 2);
    const Letters after = Shown();
    EXPECT_EQ(after.yellow, 0);
    EXPECT_GT(after.white, before.yellow);
    EXPECT_GT(after.shadowed, 50);
    EXPECT_GT(after.Height(), before.Height() + 3);
}

// A window closed (by a termination signal, say) while a chooser is open over the settings dialog
// takes the chooser with it: nothing is left on the screen holding the player up.
TEST_F(FrameSettingsTest, ClosingTheWindowClosesAChooserOpenOverTheSettings) {
    Start();
    int chooserResult = -1;
    RunDialog([&](CSetupDlg* d) {
        d->SetColourChooser([&](QWidget* owner, uint32_t) {
            QDialog chooser(owner);  // as the platform's: a child of the settings dialog
            QTimer::singleShot(0, frame_.get(), [&] { frame_->close(); });
            QTimer::singleShot(15000, &chooser, &QDialog::accept);  // the test's way out
            chooserResult = chooser.exec();
            return std::optional<uint32_t>();
        });
        Click(d, "31009");
    });
    EXPECT_EQ(chooserResult, QDialog::Rejected);
}

TEST_F(FrameSettingsTest, TheChosenCaptionFolderServesTheNextMedium) {
    Start();
    const QString folder = dir_.path() + "/자막 폴더";
    const QString movie = Movie("elsewhere", folder);  // its caption only in that folder
    const auto stored = [&] {
        QSettings ini(SettingsPath(), QSettings::IniFormat);
        QMap<QString, QVariant> all;
        for (const QString& key : ini.allKeys()) all[key] = ini.value(key);
        return all;
    };
    auto before = stored();
    RunDialog([&](CSetupDlg* d) {
        d->SetFolderChooser([&](QWidget*, const QString&, const QString&) { return folder; });
        Click(d, "1039");
        Click(d, "1");
    });
    // OK writes the folder at once and nothing else; the rest is saved when the player ends.
    before["Folder/Sami"] = folder;
    EXPECT_EQ(stored(), before);
    frame_->OpenMediaPath(movie);
    EXPECT_TRUE(WaitUntil([&] { return frame_->CaptionWindow()->IsShowingCaption(); }, 8000));
}

}  // namespace
