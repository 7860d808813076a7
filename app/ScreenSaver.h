#pragma once
// Holds the screen saver (and with it the screen lock) off through the desktop's D-Bus inhibit
// services: org.freedesktop.ScreenSaver, else org.gnome.SessionManager. Calls never wait:
// without a session bus or a service nothing happens, and the bus drops the inhibition by itself
// if the process dies.

#include <QObject>

class CScreenSaverInhibitor : public QObject {
    Q_OBJECT
  public:
    explicit CScreenSaverInhibitor(QObject* parent = nullptr);
    ~CScreenSaverInhibitor() override;
    // Holds the screen saver off (true) or lets it run again (false); repeats cost nothing.
    void SetHeld(bool held);
    void Inhibit() { SetHeld(true); }
    void Release() { SetHeld(false); }

  private:
    enum class Service { None, ScreenSaver, SessionManager };
    void Request(Service service);
    void Answered(Service service, bool ok, uint cookie);

    Service service_ = Service::None;  // the service that holds our inhibition
    uint cookie_ = 0;
    bool pending_ = false;  // an Inhibit call is on its way
    bool wanted_ = false;
};
