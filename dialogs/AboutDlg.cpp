#include "dialogs/AboutDlg.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "dialogs/DialogUnits.h"

using velmora::dialogs::DuRect;
using velmora::dialogs::DuX;
using velmora::dialogs::DuY;

CAboutDlg::CAboutDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Velmora"));
    setFont(velmora::dialogs::TemplateFont());
    setFixedSize(DuX(239), DuY(71));

    // The program's icon in the free space left of the texts, when it has one.
    if (const QIcon icon = QApplication::windowIcon(); !icon.isNull()) {
        auto* picture = new QLabel(this);
        picture->setObjectName(QStringLiteral("icon"));
        picture->setPixmap(icon.pixmap(32, 32));
        picture->setGeometry(DuX(7), DuY(7), 32, 32);
    }
    const struct {
        const char* text;
        QRect place;
    } texts[] = {
        {"Velmora 버전 1.31", DuRect(67, 7, 103, 8)},
        {"(최종수정일 : 2002/12/01) ", DuRect(81, 18, 83, 8)},
        {"SAMI 자막을 보여 주는 동영상 플레이어", DuRect(32, 34, 178, 8)},
    };
    for (const auto& t : texts) {
        auto* label = new QLabel(QString::fromUtf8(t.text), this);
        label->setTextFormat(Qt::PlainText);
        velmora::dialogs::PlaceText(label, t.place);
    }

    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    ok->setGeometry(DuRect(98, 49, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void CAboutDlg::Show(QWidget* owner) {
    CAboutDlg dlg(owner);
    dlg.exec();
}
