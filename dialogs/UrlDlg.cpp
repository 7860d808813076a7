#include "dialogs/UrlDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/DialogUnits.h"

using velmora::dialogs::DuRect;
using velmora::dialogs::DuX;
using velmora::dialogs::DuY;

CUrlDlg::CUrlDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("인터넷 스트리밍 파일 열기"));
    setFont(velmora::dialogs::TemplateFont());
    setFixedSize(DuX(319), DuY(67));

    auto* note = new QLabel(
        QStringLiteral("동영상이나 오디오 파일의 인터넷 주소를 입력하면 플레이어로 재생됩니다."),
        this);
    note->setAlignment(Qt::AlignCenter);
    note->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    velmora::dialogs::PlaceText(note, DuRect(16, 6, 288, 18));

    auto* open = new QLabel(QStringLiteral("열기"), this);
    velmora::dialogs::PlaceText(open, DuRect(16, 31, 14, 8));

    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("1037"));
    m_edit->setGeometry(DuRect(36, 30, 268, 12));

    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setGeometry(DuRect(195, 45, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = new QPushButton(QStringLiteral("취소"), this);
    cancel->setGeometry(DuRect(254, 45, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(m_edit, ok);
    setTabOrder(ok, cancel);
    m_edit->setFocus();
}

QString CUrlDlg::Address() const {
    return m_edit->text();
}

std::optional<QString> CUrlDlg::Ask(QWidget* owner) {
    CUrlDlg dlg(owner);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.Address();
}
