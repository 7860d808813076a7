#pragma once
// The per-user settings store: one UTF-8 INI file read and written through QSettings, so writes are
// atomic and several processes of the player see each other's values after Refresh().
//
// Rooting the store checks the file first. A file that cannot be read, or that holds anything the
// store cannot understand, is kept aside as "<file>.damaged-<time>" before the store ever writes;
// the usable entries of a readable file are still used.

#include <QString>
#include <functional>
#include <memory>

#include "app/ProfileKeys.h"

class QSettings;

class CProfile {
  public:
    // Roots the process's store at `filePath`, or at the default per-user location
    // ($XDG_CONFIG_HOME/Velmora/Velmora.ini) when it is empty. Safe to call again (tests do).
    static void Root(const QString& filePath = {});
    static QString DefaultPath();
    static QString FilePath();
    // Path of the copy kept aside by the last Root(), or empty when the file was sound.
    static QString KeptAsidePath();
    // Re-reads values another process may have written since.
    static void Refresh();
    // Called once per rooting, with the file's path, when a write cannot reach the file (the
    // values stay in memory for this process). Nothing is called when no handler is set.
    static void SetWriteFailureHandler(std::function<void(const QString& path)> handler);

    // The store's four operations. Absent values give `def`; writes report success.
    static int GetInt(const QString& section, const QString& key, int def);
    static QString GetString(const QString& section, const QString& key, const QString& def);
    static bool WriteInt(const QString& section, const QString& key, int value);
    static bool WriteString(const QString& section, const QString& key, const QString& value);

    // Typed access by schema key: unusable values read as the key's default.
    static int Get(const profile::IntKey& key);
    static int Get(const profile::IntKey& key, int def);
    static QString Get(const profile::StringKey& key);
    static QString Get(const profile::StringKey& key, const QString& def);
    static bool Write(const profile::IntKey& key, int value);
    static bool Write(const profile::StringKey& key, const QString& value);

    // Writes made while a Batch lives reach the file together when it ends.
    class Batch {
      public:
        Batch();
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
    };

  private:
    static QSettings* Store();
    static bool Synced();
};

// The store operations under the names the rest of the program uses.
inline int GetProfileInt(const QString& section, const QString& key, int def) {
    return CProfile::GetInt(section, key, def);
}
inline QString GetProfileString(const QString& section, const QString& key, const QString& def) {
    return CProfile::GetString(section, key, def);
}
inline bool WriteProfileInt(const QString& section, const QString& key, int value) {
    return CProfile::WriteInt(section, key, value);
}
inline bool WriteProfileString(const QString& section, const QString& key, const QString& value) {
    return CProfile::WriteString(section, key, value);
}
