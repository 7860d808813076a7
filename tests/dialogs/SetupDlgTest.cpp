// The settings dialog: the template's controls, the values it opens with and hands back, the
// defaults, the folder browser, Apply, and the caption preview drawn as the caption window draws.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/Profile.h"
#include "captions/CaptionWnd.h"
#include "dialogs/SetupDlg.h"
#include "tests/support/TestEnv.h"

namespace {

class SetupDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        caption_font::RegisterSubstitutes();  // as the player does at start-up
        CProfile::Root(dir_.filePath("Velmora.ini"));
    }
    QTemporaryDir dir_;
};

template <class T = QWidget>
T* Child(const QWidget& dlg, const char* id) {
    T* w = dlg.findChild<T*>(QString::fromLatin1(id));
    EXPECT_TRUE(w) << id;
    return w;
}

bool Checked(const QWidget& dlg, const char* id) {
    return Child<QAbstractButton>(dlg, id)->isChecked();
}

void Click(const QWidget& dlg, const char* id) {
    Child<QAbstractButton>(dlg, id)->click();
}

void TypeSize(const QWidget& dlg, const QString& text) {
    QLineEdit* edit = Child<QLineEdit>(dlg, "31000");
    edit->clear();
    QTest::keyClicks(edit, text);
}

QList<QMessageBox*> ShownBoxes() {
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) boxes << box;
    }
    return boxes;
}

// Fringe pixels (black) beside letter pixels (the text colour) of the preview, counted by the
// side of the letters they lie on: a fringe pixel one or two pixels before a letter pixel is on
// its left (or top), one or two after it on its right (or bottom).
struct Ink {
    int letters = 0, background = 0;
    int left = 0, right = 0, top = 0, bottom = 0;
    int diagonal = 0;  // three pixels down-right of a letter pixel: the shadow's reach
};

Ink PreviewInk(const QWidget& dlg, QRgb text) {
    const QWidget* preview = Child(dlg, "31011");
    const QImage img = const_cast<QWidget&>(dlg)
                           .grab(preview->geometry().adjusted(2, 2, -2, -2))
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
    auto at = [&](int x, int y) {
        return img.rect().contains(x, y) ? img.pixel(x, y) : qRgb(128, 128, 128);
    };
    auto isLetter = [&](int x, int y) {
        const QRgb c = at(x, y);
        return qAbs(qRed(c) - qRed(text)) < 24 && qAbs(qGreen(c) - qGreen(text)) < 24 &&
               qAbs(qBlue(c) - qBlue(text)) < 24;
    };
    auto isFringe = [&](int x, int y) {
        const QRgb c = at(x, y);
        return qMax(qRed(c), qMax(qGreen(c), qBlue(c))) < 8;
    };
    Ink ink;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (isLetter(x, y)) {
                ++ink.letters;
            } else if (isFringe(x, y)) {
                ink.left += isLetter(x + 1, y) || isLetter(x + 2, y);
                ink.right += isLetter(x - 1, y) || isLetter(x - 2, y);
                ink.top += isLetter(x, y + 1) || isLetter(x, y + 2);
                ink.bottom += isLetter(x, y - 1) || isLetter(x, y - 2);
                ink.diagonal += isLetter(x - 3, y - 3);
            } else if (qMax(qRed(at(x, y)), qBlue(at(x, y))) < 120) {
                ++ink.background;  // the dark sample picture
            }
        }
    }
    return ink;
}

}  // namespace

// Every control lies inside the dialog and shows its whole text.
TEST_F(SetupDlgTest, ControlsFitTheDialogAndTheirTexts) {
    CSetupDlg dlg(nullptr, SetupValues{});
    for (const QWidget* w : dlg.findChildren<QWidget*>()) {
        const QString text = w->property("text").toString();
        const bool label = qobject_cast<const QLabel*>(w);
        if (!label && (w->objectName().isEmpty() || w->objectName().startsWith("qt_"))) continue;
        const std::string what = (w->objectName() + " " + text).toStdString();
        EXPECT_TRUE(dlg.rect().contains(QRect(w->mapTo(&dlg, QPoint()), w->size()))) << what;
        if (auto* b = qobject_cast<const QPushButton*>(w)) {
            EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(text) + 6) << what;
        } else if (!text.isEmpty() && (label || qobject_cast<const QAbstractButton*>(w))) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << what;
        }
    }
    EXPECT_TRUE(Child<QPushButton>(dlg, "1")->isDefault());
    QSignalSpy associations(&dlg, &CSetupDlg::associationsRequested);
    Child<QPushButton>(dlg, "1044")->click();
    EXPECT_EQ(associations.count(), 1);
    // The face list: every family once, sorted, with the caption faces.
    const auto* faces = Child<QComboBox>(dlg, "31005");
    QStringList items;
    for (int i = 0; i < faces->count(); ++i) items << faces->itemText(i);
    QStringList sorted = items;
    sorted.removeDuplicates();
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(items, sorted);
    EXPECT_TRUE(items.contains("굴림") && items.contains("바탕체"));
    EXPECT_EQ(faces->currentText(), "굴림");
}

TEST_F(SetupDlgTest, OpensWithTheStoredValuesAndHandsBackWhatItCannotShow) {
    struct Row {
        SetupValues in;
        QString storedFolder;
        std::vector<const char*> checked, unchecked, disabled;
        QString sizeText, folderText;
        int faceIndex;  // -1: the face itself is selected
    };
    // clang-format off
    for (const Row& r : std::initializer_list<Row>{
             {{}, "/srv/subs", {"31015", "31018", "1040"}, {"31016", "31017", "1041"},
              {"31016", "31017"}, "10", "/srv/subs", -1},
             // a ratio outside the spin is shown inside it; a face not installed selects entry 0
             {{.quickMenu = 7, .extraLines = 4, .effect = 3, .sizeRatio = 0, .face = "No Such Face", .folder = {}},
              "x", {"31016", "31017", "31025"}, {"31015", "1040", "1041", "31018"}, {}, "25", "", 0},
             {{.quickMenu = 1, .extraLines = 5, .effect = 2, .face = "바탕", .folder = {}},  // prefix
              "", {"31017", "31026", "1041"}, {"31015", "31016", "1040"}, {}, "10", "", -1}}) {
        // clang-format on
        CProfile::Write(profile::kCaptionFolder, r.storedFolder);
        CSetupDlg dlg(nullptr, r.in);
        for (const char* id : r.checked) EXPECT_TRUE(Checked(dlg, id)) << id;
        for (const char* id : r.unchecked) EXPECT_FALSE(Checked(dlg, id)) << id;
        for (const char* id : r.disabled) EXPECT_FALSE(Child(dlg, id)->isEnabled()) << id;
        EXPECT_EQ(Child<QLineEdit>(dlg, "31000")->text(), r.sizeText);
        EXPECT_EQ(Child<QLineEdit>(dlg, "1038")->text(), r.folderText);
        const auto* faces = Child<QComboBox>(dlg, "31005");
        if (r.faceIndex >= 0)
            EXPECT_EQ(faces->currentIndex(), r.faceIndex);
        else
            EXPECT_TRUE(faces->currentText().startsWith(r.in.face));
        const SetupValues out = dlg.Values();
        EXPECT_EQ(out.quickMenu, r.in.quickMenu);
        EXPECT_EQ(out.extraLines, r.in.extraLines);
        EXPECT_EQ(out.effect, r.in.effect);
        EXPECT_EQ(out.face, r.in.face);  // kept until the user chooses an entry
        EXPECT_EQ(out.folder, r.folderText);
    }
}

TEST_F(SetupDlgTest, TypedSizeBecomesTheRatioOnOk) {
    struct Row {
        QString typed;
        int ratio;  // 0: not accepted
        QString shown;
    };
    for (const Row& r : std::initializer_list<Row>{
             {"14", 32, "14"}, {"99", 21, "25"}, {"0", 45, "1"}, {"", 0, ""}}) {
        CSetupDlg dlg(nullptr, SetupValues{});
        bool accepted = false;
        QObject::connect(&dlg, &QDialog::accepted, [&] { accepted = true; });
        TypeSize(dlg, r.typed);
        Click(dlg, "1");
        EXPECT_EQ(accepted, r.ratio != 0) << r.typed.toStdString();
        EXPECT_EQ(Child<QLineEdit>(dlg, "31000")->text(), r.shown);
        if (r.ratio) {
            EXPECT_EQ(dlg.Values().sizeRatio, r.ratio);
            continue;
        }
        const QList<QMessageBox*> boxes = ShownBoxes();
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes[0]->text(), "정수를 입력하십시오.");
        boxes[0]->buttons()[0]->click();
        EXPECT_TRUE(testenv::WaitUntil([] { return ShownBoxes().isEmpty(); }, 10000));
    }
    // The spin steps inside 1..25.
    CSetupDlg dlg(nullptr, SetupValues{});
    TypeSize(dlg, "24");
    for (int i = 0; i < 3; ++i) QTest::keyClick(Child(dlg, "31000"), Qt::Key_Up);
    EXPECT_EQ(Child<QLineEdit>(dlg, "31000")->text(), "25");
    Child<QAbstractButton>(dlg, "down")->click();
    EXPECT_EQ(dlg.Values().sizeRatio, 22);
}

TEST_F(SetupDlgTest, DefaultsShowTheDesignedStyleAndApplyNothing) {
    SetupValues v;
    v.effect = 1;
    v.extraLines = 3;
    v.quickMenu = 1;
    CSetupDlg dlg(nullptr, v);
    int applied = 0;
    QObject::connect(&dlg, &CSetupDlg::applyRequested, [&] { ++applied; });
    Click(dlg, "31002");
    EXPECT_EQ(Child<QLineEdit>(dlg, "31000")->text(), "14");
    EXPECT_EQ(Child<QComboBox>(dlg, "31005")->currentText(), "바탕체");
    EXPECT_TRUE(Checked(dlg, "31018") && Checked(dlg, "31017") && Checked(dlg, "1041"));
    EXPECT_FALSE(Checked(dlg, "31021") || Checked(dlg, "31015") || Checked(dlg, "31016"));
    const SetupValues o = dlg.Values();  // colours: RGB(255, 255, 128) and RGB(0, 64, 128)
    EXPECT_EQ(std::tuple(o.sizeRatio, o.face, o.extraLines, o.effect, o.quickMenu),
              std::tuple(32, QString("바탕체"), 0, 2, 1));
    EXPECT_EQ(std::pair(o.textColour, o.effectColour), std::pair(0x80FFFFu, 0x804000u));
    EXPECT_EQ(applied, 0);
}

TEST_F(SetupDlgTest, BrowsingTakesTheFolderAndBringsBackTheSize) {
    CSetupDlg dlg(nullptr, SetupValues{});
    QString answer = "/media/subs";
    dlg.SetFolderChooser([&](QWidget* owner, const QString&, const QString&) {
        EXPECT_EQ(owner, &dlg);
        return answer;
    });
    TypeSize(dlg, "14");
    Click(dlg, "1039");
    EXPECT_EQ(Child<QLineEdit>(dlg, "1038")->text(), "/media/subs");
    EXPECT_EQ(Child<QLineEdit>(dlg, "31000")->text(), "10");
    TypeSize(dlg, "14");
    answer.clear();  // cancelled: nothing changes
    Click(dlg, "1039");
    EXPECT_EQ(Child<QLineEdit>(dlg, "1038")->text(), "/media/subs");
    EXPECT_EQ(dlg.Values().sizeRatio, 32);
}

TEST_F(SetupDlgTest, ApplyHandsOverTheValuesAndTheDialogStaysOpen) {
    CSetupDlg dlg(nullptr, SetupValues{});
    std::vector<SetupValues> applied;
    QObject::connect(&dlg, &CSetupDlg::applyRequested,
                     [&](const SetupValues& v) { applied.push_back(v); });
    dlg.SetColourChooser([](QWidget*, uint32_t) { return std::optional<uint32_t>(0x123456); });
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    TypeSize(dlg, "12");
    Click(dlg, "31020");
    Click(dlg, "1041");
    Click(dlg, "31010");
    Click(dlg, "1036");
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].sizeRatio, 34);
    EXPECT_EQ(applied[0].extraLines, 2);
    EXPECT_EQ(applied[0].quickMenu, 1);
    EXPECT_EQ(applied[0].effectColour, 0x123456u);
    EXPECT_EQ(applied[0].textColour, 0x00FFFFu);
    EXPECT_TRUE(dlg.isVisible());
    // No integer in the size edit: said so, and the size read last is handed over.
    TypeSize(dlg, "");
    Click(dlg, "1036");
    ASSERT_EQ(applied.size(), 2u);
    EXPECT_EQ(applied[1].sizeRatio, 34);
    ASSERT_EQ(ShownBoxes().size(), 1);
    ShownBoxes()[0]->buttons()[0]->click();
    EXPECT_TRUE(testenv::WaitUntil([] { return ShownBoxes().isEmpty(); }, 10000));
    Click(dlg, "2");
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(applied.size(), 2u);
}

TEST_F(SetupDlgTest, EffectBoxesSetTheEffectAndThePreviewDrawsItAtOnce) {
    CSetupDlg dlg(nullptr, SetupValues{});  // yellow text, black fringe
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    dlg.SetColourChooser([](QWidget*, uint32_t) { return std::optional<uint32_t>(0xFFFFFF); });

    // Effect 0 still has the +1/+1 fringe, the outline rings the letters, the shadow falls
    // further down-right than that fringe; "none" clears and disables the other two.
    struct Step {
        std::vector<const char*> clicks;
        QRgb text;
        bool ringed, shadow;
        int effect;
    };
    const QRgb yellow = qRgb(255, 255, 0), white = qRgb(255, 255, 255);
    Ink base;
    for (const Step& s : std::initializer_list<Step>{
             {{}, yellow, false, false, 0},
             {{"31015", "31016"}, yellow, true, false, 1},  // none off, outline on
             {{"31009"}, white, true, false, 1},            // white text
             {{"31017", "31016"}, white, false, true, 2},   // shadow on, outline off
             {{"31015"}, white, false, false, 0}}) {        // none on
        for (const char* id : s.clicks) Click(dlg, id);
        EXPECT_EQ(dlg.Values().effect, s.effect);
        const Ink ink = PreviewInk(dlg, s.text);
        if (s.clicks.empty()) base = ink;
        const std::string at = s.clicks.empty() ? "start" : s.clicks.back();
        ASSERT_GT(ink.letters, 200) << at;
        EXPECT_GT(ink.background, 3000) << at;  // the dark picture around the text
        if (s.ringed) {
            EXPECT_TRUE(ink.left * 10 > ink.right * 7 && ink.top * 10 > ink.bottom * 7) << at;
        } else {
            EXPECT_TRUE(ink.left * 2 < ink.right && ink.top * 2 < ink.bottom) << at;
        }
        EXPECT_EQ(ink.diagonal > base.diagonal * 2, s.shadow) << at;
    }
    for (const bool none : {true, false}) {  // none off: the others come back unchecked
        for (const char* id : {"31016", "31017"})
            EXPECT_TRUE(!Checked(dlg, id) && Child(dlg, id)->isEnabled() != none) << id;
        Click(dlg, "31015");
    }
}
