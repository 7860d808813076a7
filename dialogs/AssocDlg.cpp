#include "dialogs/AssocDlg.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "dialogs/DialogUnits.h"

using velmora::dialogs::DuRect;
using velmora::dialogs::DuX;
using velmora::dialogs::DuY;

namespace {

void Line(QWidget* parent, const QRect& place) {
    auto* line = new QFrame(parent);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setGeometry(place.x(), place.y(), place.width(), 2);
}

}  // namespace

CAssocDlg::CAssocDlg(QWidget* owner, const Checks& checked) : QDialog(owner) {
    setWindowTitle(QStringLiteral("파일 연결"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(velmora::dialogs::TemplateFont());
    // A font wider than the template's widens the dialog so that its texts show whole.
    int width = DuX(119);
    std::vector<std::pair<QLabel*, QRect>> labels;
    for (const auto& [text, place] :
         {std::pair{"다음 확장자에 대하여 ", DuRect(14, 16, 88, 8)},
          std::pair{"기본 플레이어로 연결합니다.", DuRect(14, 28, 90, 8)}}) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setTextFormat(Qt::PlainText);
        labels.emplace_back(label, place);
        width = std::max(width, place.x() + label->sizeHint().width() + DuX(7));
    }
    setFixedSize(width, DuY(171));
    for (const auto& [label, place] : labels) velmora::dialogs::PlaceText(label, place);
    Line(this, DuRect(7, 39, 105, 1));

    // The boxes in item order (.avi .asf .mpg .mpeg .dat .divx .asx .wmv .wvx .wmp mms), placed
    // in two columns; their ids run 1043..1053 in the same order.
    const struct {
        const char* text;
        QRect place;
    } boxes[] = {{".avi", DuRect(19, 100, 27, 10)},
                 {".asf", DuRect(19, 45, 28, 10)},
                 {".mpg", DuRect(70, 45, 33, 10)},
                 {".mpeg", DuRect(70, 59, 37, 10)},
                 {".dat", DuRect(70, 73, 28, 10)},
                 {".divx", DuRect(70, 87, 31, 10)},
                 {".asx", DuRect(19, 59, 30, 10)},
                 {".wmv", DuRect(19, 73, 34, 10)},
                 {".wvx", DuRect(19, 87, 31, 10)},
                 {".wmp", DuRect(70, 100, 34, 10)},
                 {"mms(인터넷 스트리밍)", DuRect(19, 113, 89, 10)}};
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(boxes[i].text), this);
        box->setObjectName(QString::number(1043 + int(i)));
        box->setGeometry(boxes[i].place);
        box->resize(std::max(box->width(), box->sizeHint().width()), box->height());
        box->setChecked(checked[i]);
        m_boxes[i] = box;
    }
    // Tab order follows the boxes' places, row by row.
    const int order[] = {1044, 1045, 1049, 1046, 1050, 1047, 1051, 1048, 1043, 1052, 1053};
    for (size_t k = 1; k < std::size(order); ++k)
        setTabOrder(m_boxes[size_t(order[k - 1] - 1043)], m_boxes[size_t(order[k] - 1043)]);

    auto* all = new QPushButton(QStringLiteral("전체 선택"), this);
    all->setObjectName(QStringLiteral("1054"));
    all->setGeometry(DuRect(7, 127, 106, 14));
    connect(all, &QPushButton::clicked, this, &CAssocDlg::SelectAll);
    Line(this, DuRect(9, 146, 103, 1));

    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(DuRect(7, 150, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("취소"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(DuRect(63, 150, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CAssocDlg::Checks CAssocDlg::Checked() const {
    Checks checked{};
    for (size_t i = 0; i < m_boxes.size(); ++i) checked[i] = m_boxes[i]->isChecked();
    return checked;
}

// All checked: all off; otherwise all on.
void CAssocDlg::SelectAll() {
    const Checks now = Checked();
    const bool all = std::all_of(now.begin(), now.end(), [](bool c) { return c; });
    for (QCheckBox* box : m_boxes) box->setChecked(!all);
}

std::optional<CAssocDlg::Checks> CAssocDlg::Ask(QWidget* owner, const Checks& checked) {
    CAssocDlg dialog(owner, checked);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Checked();
}
