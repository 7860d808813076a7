#include "dialogs/SystemMixer.h"

#include <QProcess>
#include <QStandardPaths>

#include "dialogs/Notice.h"

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
    ShowNotice(owner, QStringLiteral("시스템 볼륨 조절 프로그램을 찾을 수 없습니다."));
    return false;
}

bool OpenSystemMixer(QWidget* owner) {
    return OpenSystemMixer(owner, DefaultMixerPrograms());
}
