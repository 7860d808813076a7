#include "app/ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

QDBusMessage ScreenSaverCall(const QString& method) {
    return QDBusMessage::createMethodCall("org.freedesktop.ScreenSaver",
                                          "/org/freedesktop/ScreenSaver",
                                          "org.freedesktop.ScreenSaver", method);
}

QDBusMessage SessionManagerCall(const QString& method) {
    return QDBusMessage::createMethodCall("org.gnome.SessionManager", "/org/gnome/SessionManager",
                                          "org.gnome.SessionManager", method);
}

}  // namespace

CScreenSaverInhibitor::CScreenSaverInhibitor(QObject* parent) : QObject(parent) {}

CScreenSaverInhibitor::~CScreenSaverInhibitor() {
    Release();
}

void CScreenSaverInhibitor::Inhibit() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (wanted_ || !bus.isConnected()) return;
    wanted_ = true;
    QDBusMessage call = ScreenSaverCall("Inhibit");
    call << QStringLiteral("Velmora") << QStringLiteral("미디어 재생");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        QDBusPendingReply<uint> reply = *w;
        if (!reply.isError()) {
            service_ = Service::ScreenSaver;
            cookie_ = reply.value();
            if (!wanted_) Release();
            return;
        }
        // Fall back to the session manager: flag 8 inhibits the session going idle.
        QDBusMessage fallback = SessionManagerCall("Inhibit");
        fallback << QStringLiteral("Velmora") << uint(0) << QStringLiteral("미디어 재생")
                 << uint(8);
        auto* second =
            new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(fallback), this);
        connect(second, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* w2) {
                    w2->deleteLater();
                    QDBusPendingReply<uint> r = *w2;
                    if (r.isError()) return;
                    service_ = Service::SessionManager;
                    cookie_ = r.value();
                    if (!wanted_) Release();
                });
    });
}

void CScreenSaverInhibitor::Release() {
    wanted_ = false;
    if (service_ == Service::None) return;
    QDBusMessage call = service_ == Service::ScreenSaver ? ScreenSaverCall("UnInhibit")
                                                         : SessionManagerCall("Uninhibit");
    call << cookie_;
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
    service_ = Service::None;
}
