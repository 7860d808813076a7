#include "dialogs/SystemMixer.h"

#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

QList<MixerProgram> DefaultMixerPrograms() {
    return {
        {"pavucontrol", {}},
        {"pavucontrol-qt", {}},
        {"gnome-control-center", {"sound"}},
        {"kcmshell5", {"kcm_pulseaudio"}},
        {"mate-volume-control", {}},
    };
}

bool OpenSystemMixer(QWidget* owner, const QList<MixerProgram>& candidates) {
    for (const MixerProgram& candidate : candidates) {
        if (candidate.program.isEmpty()) continue;
        const QString path = QStandardPaths::findExecutable(candidate.program);
        if (path.isEmpty()) continue;
        if (QProcess::startDetached(path, candidate.arguments)) return true;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Velmora"),
                                QStringLiteral("시스템 볼륨 조절 프로그램을 찾을 수 없습니다."),
                                QMessageBox::NoButton, owner);
    box->addButton(QStringLiteral("확인"), QMessageBox::AcceptRole);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    return false;
}

bool OpenSystemMixer(QWidget* owner) {
    return OpenSystemMixer(owner, DefaultMixerPrograms());
}
