#include "dialogs/SetupDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <algorithm>

#include "app/Profile.h"
#include "captions/CaptionWnd.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/Notice.h"
#include "dialogs/SetupPreview.h"

using velmora::dialogs::DuRect;
using velmora::dialogs::DuX;
using velmora::dialogs::DuY;

namespace {

constexpr int kSizeBase = 46;  // size shown = 46 - ratio
constexpr int kDefaultSize = 14;
const QString kDefaultFace = QStringLiteral("바탕체");
constexpr uint32_t kDefaultTextColour = 0x80FFFF;    // RGB(255, 255, 128)
constexpr uint32_t kDefaultEffectColour = 0x804000;  // RGB(0, 64, 128)
const QString kBrowseTitle = QStringLiteral("기본 자막 폴더를 선택하세요");

uint32_t BgrFromColour(const QColor& c) {
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}

std::optional<uint32_t> PlatformColour(QWidget* owner, uint32_t current) {
    const QColor c = QColorDialog::getColor(ColourFromBgr(current), owner, QStringLiteral("색"));
    if (!c.isValid()) return std::nullopt;
    return BgrFromColour(c);
}

QString PlatformFolder(QWidget* owner, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
}

template <class W>
W* Add(QWidget* parent, const QString& text, const char* id, const QRect& place) {
    auto* w = new W(text, parent);
    w->setObjectName(QString::fromLatin1(id));
    w->setGeometry(place);
    return w;
}

void Label(QWidget* parent, const QString& text, const QRect& place) {
    (new QLabel(text, parent))->setGeometry(place);
}

void Line(QWidget* parent, const QRect& place) {
    auto* line = new QFrame(parent);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setGeometry(place.x(), place.y(), place.width(), std::max(2, place.height()));
}

// Width a button's text needs: a push button its text with a margin, a check box or radio button
// its whole size hint (indicator, gap and text).
int NeededWidth(const QWidget* w) {
    if (auto* b = qobject_cast<const QPushButton*>(w))
        return b->fontMetrics().horizontalAdvance(b->text()) + DuX(4);
    return w->sizeHint().width();
}

// The template font here may be wider than the one the template was drawn with. A label or button
// whose text does not fit grows to the right up to the next control of its row (or the groups'
// inner edge), and if that is still too narrow its text is condensed, so that no text is cut off.
void FitTexts(QWidget* dlg) {
    const int edge = DuX(259) - DuX(3);
    const QList<QWidget*> controls = dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* b : controls) {
        if (!qobject_cast<QAbstractButton*>(b) && !qobject_cast<QLabel*>(b)) continue;
        const QRect r = b->geometry();
        int limit = std::max(edge, r.right() + 1);
        for (const QWidget* w : controls) {
            const QRect o = w->geometry();
            if (w != b && !qobject_cast<const QGroupBox*>(w) && o.x() > r.x() &&
                o.top() <= r.bottom() && o.bottom() >= r.top())
                limit = std::min(limit, o.x() - 2);
        }
        const int width = std::max(r.width(), std::min(NeededWidth(b), limit - r.x()));
        b->resize(width, r.height());
        QFont f = b->font();
        for (int stretch = 95; NeededWidth(b) > width && stretch >= 75; stretch -= 5) {
            f.setStretch(stretch);
            b->setFont(f);
        }
    }
}

}  // namespace

CSetupDlg::CSetupDlg(QWidget* owner, const SetupValues& values)
    : QDialog(owner),
      m_values(values),
      m_chooseColour(PlatformColour),
      m_chooseFolder(PlatformFolder) {
    setWindowTitle(QStringLiteral("프로그램 환경 설정"));
    setFont(velmora::dialogs::TemplateFont());
    setFixedSize(DuX(266), DuY(258));
    Build();

    // Size shown as 46 - ratio, kept inside the spin's range.
    m_size = std::clamp(kSizeBase - m_values.sizeRatio, kMinSize, kMaxSize);
    FillFaces();
    SelectFace(m_values.face);
    if (QAbstractButton* b = m_lines->button(m_values.extraLines)) b->setChecked(true);
    SetEffectBoxes();
    if (QAbstractButton* b = m_quickMenu->button(m_values.quickMenu)) b->setChecked(true);
    m_values.folder = CProfile::Get(profile::kCaptionFolder);
    if (m_values.folder.size() < 2) m_values.folder.clear();
    ShowFields();
    RefreshPreview();
}

void CSetupDlg::Build() {
    // The group boxes first, so every control lies above them.
    (new QGroupBox(QStringLiteral("자막 글꼴"), this))->setGeometry(DuRect(7, 7, 252, 108));
    (new QGroupBox(QStringLiteral("기    타"), this))->setGeometry(DuRect(7, 119, 252, 111));
    Label(this, QStringLiteral("선택 :"), DuRect(19, 23, 19, 8));
    m_faces = new QComboBox(this);
    m_faces->setObjectName(QStringLiteral("31005"));
    m_faces->setGeometry(DuRect(42, 20, 69, 14));  // closed height; the list drops below
    m_faces->setMaxVisibleItems(std::max(1, DuY(85 - 14) / m_faces->fontMetrics().height()));
    connect(m_faces, &QComboBox::activated, this, [this](int i) {
        m_values.face = m_faces->itemText(i);
        RefreshPreview();
    });

    Label(this, QStringLiteral("크기 :"), DuRect(130, 23, 19, 8));
    m_sizeEdit = new QLineEdit(this);
    m_sizeEdit->setObjectName(QStringLiteral("31000"));
    m_sizeEdit->setGeometry(DuRect(154, 20, 35, 14));
    m_sizeEdit->setAlignment(Qt::AlignCenter);
    m_sizeEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    m_sizeEdit->installEventFilter(this);
    // The up-down attached to the edit's right: steps the edit's number inside 1..25.
    auto* spin = new QWidget(this);
    spin->setObjectName(QStringLiteral("31001"));
    const QRect spinRect = DuRect(189, 20, 8, 14);
    spin->setGeometry(spinRect);
    for (int step : {+1, -1}) {
        auto* arrow = new QToolButton(spin);
        arrow->setObjectName(step > 0 ? QStringLiteral("up") : QStringLiteral("down"));
        arrow->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAutoRaise(true);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        const int half = spinRect.height() / 2;
        arrow->setGeometry(0, step > 0 ? 0 : half, spinRect.width(),
                           step > 0 ? half : spinRect.height() - half);
        connect(arrow, &QToolButton::clicked, this, [this, step] { StepSize(step); });
    }

    Label(this, QStringLiteral("글자 색 :"), DuRect(18, 44, 28, 8));
    connect(Add<QPushButton>(this, QStringLiteral("설 정"), "31009", DuRect(51, 41, 34, 11)),
            &QPushButton::clicked, this, [this] { ChooseColour(m_values.textColour); });
    Label(this, QStringLiteral("외곽선 또는 그림자 색 :"), DuRect(107, 44, 74, 8));
    connect(Add<QPushButton>(this, QStringLiteral("설 정"), "31010", DuRect(191, 41, 34, 11)),
            &QPushButton::clicked, this, [this] { ChooseColour(m_values.effectColour); });

    Label(this, QStringLiteral("글꼴 효과 :"), DuRect(19, 63, 35, 8));
    m_none = Add<QCheckBox>(this, QStringLiteral("사용 안함"), "31015", DuRect(64, 63, 46, 10));
    m_outline =
        Add<QCheckBox>(this, QStringLiteral("외곽선 효과"), "31016", DuRect(130, 63, 53, 10));
    m_shadow =
        Add<QCheckBox>(this, QStringLiteral("그림자 효과"), "31017", DuRect(195, 63, 53, 10));
    connect(m_none, &QCheckBox::clicked, this, [this](bool checked) {
        m_outline->setEnabled(!checked);
        m_shadow->setEnabled(!checked);
        if (!checked) return;
        m_values.effect = 0;
        m_outline->setChecked(false);
        m_shadow->setChecked(false);
        RefreshPreview();
    });
    for (auto [box, bit] : {std::pair{m_outline, 1}, std::pair{m_shadow, 2}}) {
        connect(box, &QCheckBox::clicked, this, [this, bit](bool checked) {
            m_values.effect = checked ? m_values.effect | bit : m_values.effect & ~bit;
            RefreshPreview();
        });
    }
    m_preview = new CSetupPreview(this);
    m_preview->setObjectName(QStringLiteral("31011"));
    m_preview->setGeometry(DuRect(29, 78, 205, 32));

    Label(this, QStringLiteral("빠른메뉴 실행 :"), DuRect(16, 133, 52, 8));
    m_quickMenu = new QButtonGroup(this);
    m_quickMenu->addButton(Add<QRadioButton>(this, QStringLiteral("기본 설정(마우스 오른쪽 버튼)"),
                                             "1040", DuRect(70, 132, 111, 10)),
                           0);
    m_quickMenu->addButton(
        Add<QRadioButton>(this, QStringLiteral("왼쪽 버튼 사용"), "1041", DuRect(184, 132, 62, 10)),
        1);
    connect(m_quickMenu, &QButtonGroup::idClicked, this,
            [this](int id) { m_values.quickMenu = id; });
    Line(this, DuRect(14, 146, 232, 1));

    Label(this, QStringLiteral("자막 줄 수 :"), DuRect(16, 153, 38, 8));
    m_lines = new QButtonGroup(this);
    struct LineRadio {
        const char* id;
        const char* text;
        QRect place;
    };
    const LineRadio radios[] = {{"31018", "사용 안함", DuRect(63, 152, 46, 10)},
                                {"31019", "1줄 추가", DuRect(135, 152, 42, 10)},
                                {"31020", "2줄 추가", DuRect(206, 152, 42, 10)},
                                {"31021", "3줄 추가", DuRect(63, 163, 42, 10)},
                                {"31025", "4줄 추가", DuRect(135, 163, 42, 10)},
                                {"31026", "5줄 추가", DuRect(206, 163, 42, 10)}};
    for (int n = 0; n < 6; ++n) {
        m_lines->addButton(Add<QRadioButton>(this, QString::fromUtf8(radios[n].text), radios[n].id,
                                             radios[n].place),
                           n);
    }
    connect(m_lines, &QButtonGroup::idClicked, this, [this](int n) { m_values.extraLines = n; });
    Line(this, DuRect(14, 177, 230, 1));

    Label(this, QStringLiteral("기본 자막 폴더 :"), DuRect(14, 187, 51, 8));
    m_folderEdit = new QLineEdit(this);
    m_folderEdit->setObjectName(QStringLiteral("1038"));
    m_folderEdit->setGeometry(DuRect(69, 185, 130, 12));
    connect(Add<QPushButton>(this, QStringLiteral("찾아보기"), "1039", DuRect(207, 185, 41, 13)),
            &QPushButton::clicked, this, &CSetupDlg::BrowseFolder);
    Line(this, DuRect(14, 206, 231, 1));

    Label(this, QStringLiteral("파일 연결 설정 :"), DuRect(15, 215, 51, 8));
    connect(Add<QPushButton>(this, QStringLiteral("연결 설정"), "1044", DuRect(76, 212, 37, 14)),
            &QPushButton::clicked, this, &CSetupDlg::associationsRequested);

    connect(Add<QPushButton>(this, QStringLiteral("기본값"), "31002", DuRect(7, 237, 50, 14)),
            &QPushButton::clicked, this, &CSetupDlg::RestoreDefaults);
    auto* ok = Add<QPushButton>(this, QStringLiteral("확인"), "1", DuRect(107, 237, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CSetupDlg::accept);
    connect(Add<QPushButton>(this, QStringLiteral("취소"), "2", DuRect(158, 237, 50, 14)),
            &QPushButton::clicked, this, &CSetupDlg::reject);
    connect(Add<QPushButton>(this, QStringLiteral("적용"), "1036", DuRect(209, 237, 50, 14)),
            &QPushButton::clicked, this, [this] {
                ReadSize();  // a size that is no integer is said so; the previous size applies
                emit applyRequested(Values());
            });
    FitTexts(this);
}

void CSetupDlg::FillFaces() {
    QStringList faces;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family)) faces << family;
    }
    // The caption faces are reached through their substitutes even when no font has their name.
    for (const QString& face : {QStringLiteral("굴림"), kDefaultFace}) {
        if (!faces.contains(face)) faces << face;
    }
    faces.removeDuplicates();
    faces.sort(Qt::CaseInsensitive);
    m_faces->clear();
    m_faces->addItems(faces);
}

int CSetupDlg::FindFace(const QString& face) const {
    const int n = m_faces->count();
    if (face.isEmpty()) return -1;
    for (int k = 1; k <= n; ++k) {
        if (m_faces->itemText(k % n).startsWith(face, Qt::CaseInsensitive)) return k % n;
    }
    return -1;
}

void CSetupDlg::SelectFace(const QString& face) {
    m_faces->setCurrentIndex(std::max(0, FindFace(face)));
}

void CSetupDlg::SetEffectBoxes() {
    const int effect = m_values.effect;
    m_none->setChecked(effect == 0);
    m_outline->setEnabled(effect != 0);
    m_shadow->setEnabled(effect != 0);
    m_outline->setChecked(effect & caption_layout::kEffectOutline);
    m_shadow->setChecked(effect & caption_layout::kEffectShadow);
}

void CSetupDlg::ShowFields() {
    SetSizeShown(m_size);
    m_folderEdit->setText(m_values.folder);
}

void CSetupDlg::SetSizeShown(int size) {
    m_sizeEdit->setText(QString::number(size));
}

void CSetupDlg::StepSize(int step) {
    SetSizeShown(std::clamp(TypedSize().value_or(m_size) + step, kMinSize, kMaxSize));
}

std::optional<int> CSetupDlg::TypedSize() const {
    bool ok = false;
    const int size = m_sizeEdit->text().toInt(&ok);
    if (!ok) return std::nullopt;
    return size;
}

bool CSetupDlg::ReadSize() {
    const std::optional<int> typed = TypedSize();
    if (!typed) {
        ShowNotice(this, QStringLiteral("정수를 입력하십시오."));
        return false;
    }
    // A number outside the spin's range is brought into it, so the ratio stays one the caption
    // layout can use.
    m_size = std::clamp(*typed, kMinSize, kMaxSize);
    if (m_size != *typed) SetSizeShown(m_size);
    return true;
}

SetupValues CSetupDlg::Values() const {
    SetupValues v = m_values;
    const int size = std::clamp(TypedSize().value_or(m_size), kMinSize, kMaxSize);
    v.sizeRatio = kSizeBase - size;
    v.folder = m_folderEdit->text();
    return v;
}

void CSetupDlg::accept() {
    if (!ReadSize()) return;
    QDialog::accept();
}

bool CSetupDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_sizeEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepSize(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CSetupDlg::ChooseColour(uint32_t& colour) {
    if (const std::optional<uint32_t> chosen = m_chooseColour(this, colour)) {
        colour = *chosen & 0xFFFFFF;
        RefreshPreview();
    }
}

void CSetupDlg::BrowseFolder() {
    const QString folder = m_chooseFolder(this, kBrowseTitle, m_folderEdit->text());
    if (folder.isEmpty()) return;
    m_values.folder = folder;
    // Every field goes back into its control: an unapplied size change is dropped.
    ShowFields();
}

void CSetupDlg::RestoreDefaults() {
    SetSizeShown(kDefaultSize);
    if (const int i = FindFace(kDefaultFace); i >= 0) {
        m_values.face = kDefaultFace;
        m_faces->setCurrentIndex(i);
    } else {
        m_faces->setCurrentIndex(0);
    }
    m_lines->button(0)->setChecked(true);
    m_values.extraLines = 0;
    m_values.effect = caption_layout::kEffectShadow;
    SetEffectBoxes();
    m_values.textColour = kDefaultTextColour;
    m_values.effectColour = kDefaultEffectColour;
    RefreshPreview();
}

void CSetupDlg::RefreshPreview() {
    m_preview->SetStyle(m_values.face, m_values.textColour, m_values.effectColour, m_values.effect);
}
