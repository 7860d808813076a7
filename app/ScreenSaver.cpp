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

void CScreenSaverInhibitor::SetHeld(bool held) {
    wanted_ = held;
    if (held) {
        // One inhibition at a time: a call on its way is answered before another is made.
        if (!pending_ && service_ == Service::None) Request(Service::ScreenSaver);
        return;
    }
    if (service_ == Service::None) return;  // a call on its way is undone when it is answered
    QDBusMessage call = service_ == Service::ScreenSaver ? ScreenSaverCall("UnInhibit")
                                                         : SessionManagerCall("Uninhibit");
    call << cookie_;
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
    service_ = Service::None;
}

void CScreenSaverInhibitor::Request(Service service) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call;
    if (service == Service::ScreenSaver) {
        call = ScreenSaverCall("Inhibit");
        call << QStringLiteral("Velmora") << QStringLiteral("미디어 재생");
    } else {
        // Flag 8 inhibits the session going idle.
        call = SessionManagerCall("Inhibit");
        call << QStringLiteral("Velmora") << uint(0) << QStringLiteral("미디어 재생") << uint(8);
    }
    pending_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, service](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<uint> reply = *w;
                Answered(service, !reply.isError(), reply.isError() ? 0 : reply.value());
            });
}

void CScreenSaverInhibitor::Answered(Service service, bool ok, uint cookie) {
    pending_ = false;
    if (!ok) {
        if (service == Service::ScreenSaver && wanted_) Request(Service::SessionManager);
        return;
    }
    service_ = service;
    cookie_ = cookie;
    if (!wanted_) SetHeld(false);  // released while the call was on its way
}
