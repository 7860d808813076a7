#pragma once
// A display server of a test's own for the real program: Xvfb with openbox as the window manager,
// or weston's headless backend. It gives the environment that reaches it, runs programs there and
// takes shots of the whole screen. Every process started dies with the test process at the latest.

#include <signal.h>
#include <sys/prctl.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <deque>

#include "tests/support/TestEnv.h"

namespace testenv {

class DisplayServer {
  public:
    // platform is "xcb" or "wayland"; runtimeDir must be private to the user.
    DisplayServer(const QString& platform, const QString& runtimeDir)
        : m_wayland(platform == "wayland") {
        m_env.insert("XDG_RUNTIME_DIR", runtimeDir);
        m_env.remove("DISPLAY");
        m_env.remove("WAYLAND_DISPLAY");
        m_env.insert("QT_QPA_PLATFORM", platform);
    }
    ~DisplayServer() {
        for (auto it = m_owned.rbegin(); it != m_owned.rend(); ++it) {
            it->terminate();
            if (!it->waitForFinished(5000)) it->kill(), it->waitForFinished(5000);
        }
    }

    // Empty when the server runs; otherwise what went wrong.
    QString Start() {
        if (m_wayland) {
            // The pixman renderer: the headless default draws nothing, so it takes no shots.
            // --debug lets weston-screenshooter in.
            QProcess* w = Run("weston", {"--backend=headless-backend.so", "--use-pixman",
                                         "--width=1280", "--height=1024", "--no-config",
                                         "--idle-time=0", "--socket=velmora-e2e", "--debug"});
            const QString socket = m_env.value("XDG_RUNTIME_DIR") + "/velmora-e2e";
            WaitUntil([&] { return QFile::exists(socket) || w->state() == QProcess::NotRunning; },
                      20000, 200);
            if (w->state() != QProcess::Running || !QFile::exists(socket))
                return "weston did not start: " + w->errorString() + "\n" + w->readAll();
            m_env.insert("WAYLAND_DISPLAY", "velmora-e2e");
            return {};
        }
        // Xvfb takes a free display and writes its number once it accepts clients.
        QProcess* x =
            Run("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {},
                QProcess::ForwardedErrorChannel);
        WaitUntil([&] { return x->canReadLine() || x->state() == QProcess::NotRunning; }, 20000,
                  200);
        const QString display = QString::fromLatin1(x->readLine()).trimmed();
        if (display.isEmpty()) return "Xvfb did not start: " + x->errorString();
        m_env.insert("DISPLAY", ":" + display);
        QProcess* wm = Run("openbox", {"--sm-disable"});
        // The window manager runs once the root window names it.
        const auto managing = [&] {
            return Output("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
        };
        return WaitUntil(managing, 20000, 200) ? QString()
                                               : "openbox did not start: " + wm->readAll();
    }

    // Starts program on the display, with env instead of Env() when given.
    QProcess* Run(const QString& program, const QStringList& args,
                  const QProcessEnvironment& env = {},
                  QProcess::ProcessChannelMode channels = QProcess::MergedChannels) {
        QProcess& p = m_owned.emplace_back();
        p.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
        p.setProcessEnvironment(env.isEmpty() ? m_env : env);
        p.setProcessChannelMode(channels);
        p.start(program, args);
        return &p;
    }
    // Runs a short-lived program on the display and gives its first line of output ("" when it
    // failed).
    QString Output(const QString& program, const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(m_env);
        p.start(program, args);
        if (!p.waitForFinished(10000)) p.kill(), p.waitForFinished();
        return p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()).section('\n', 0, 0)
                                 : QString();
    }
    const QProcessEnvironment& Env() const { return m_env; }

    QImage Shot() const {
        QTemporaryDir dir;
        QProcess shooter;
        shooter.setProcessEnvironment(m_env);
        shooter.setWorkingDirectory(dir.path());  // where weston-screenshooter writes
        if (m_wayland)
            shooter.start("weston-screenshooter", {});
        else
            shooter.start("import", {"-window", "root", dir.path() + "/shot.png"});
        if (!shooter.waitForFinished(20000)) shooter.kill(), shooter.waitForFinished();
        const QStringList files = QDir(dir.path()).entryList({"*.png"});
        return files.isEmpty() ? QImage() : QImage(dir.filePath(files.first()));
    }

  private:
    bool m_wayland;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
    std::deque<QProcess> m_owned;
};

}  // namespace testenv
