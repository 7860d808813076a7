#pragma once
// Opens the desktop's volume mixer: the first installed of a list of mixer programs, started
// detached (never through a shell). When none can be started, a message box says so without
// holding up the caller.

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

struct MixerProgram {
    QString program;  // a name looked up in PATH, or a path
    QStringList arguments;
};

// pavucontrol, pavucontrol-qt, gnome-control-center sound, kcmshell5 kcm_pulseaudio,
// mate-volume-control.
QList<MixerProgram> DefaultMixerPrograms();

// Starts the first of candidates that is installed and starts; the next installed one is tried when
// one fails to start. Returns whether one started; when none did, shows the message box over owner.
bool OpenSystemMixer(QWidget* owner, const QList<MixerProgram>& candidates);
bool OpenSystemMixer(QWidget* owner);
