#pragma once
// Holds the screen saver off while the player runs, through the desktop's D-Bus inhibit
// services. Calls never wait: without a session bus or a service nothing happens, and the bus
// drops the inhibition by itself if the process dies.

#include <QObject>

class CScreenSaverInhibitor : public QObject {
    Q_OBJECT
  public:
    explicit CScreenSaverInhibitor(QObject* parent = nullptr);
    ~CScreenSaverInhibitor() override;
    void Inhibit();
    void Release();

  private:
    enum class Service { None, ScreenSaver, SessionManager };
    Service service_ = Service::None;
    uint cookie_ = 0;
    bool wanted_ = false;
};
