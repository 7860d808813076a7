#include "dialogs/Notice.h"

#include <QMessageBox>

void ShowNotice(QWidget* owner, const QString& text, bool wait) {
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Velmora"), text,
                                QMessageBox::NoButton, owner);
    box->addButton(QStringLiteral("확인"), QMessageBox::AcceptRole);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (wait) {
        box->exec();
        return;
    }
    box->setModal(false);
    box->show();
}
