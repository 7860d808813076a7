// Entry point of the GUI test executables: every run gets its own per-user folders, so tests never
// touch the real settings or a running player, then one QApplication serves all tests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <clocale>

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home.path() + "/runtime").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    QDir().mkpath(home.path() + "/runtime");
    QFile::setPermissions(home.path() + "/runtime",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VELMORA_AO", "null");  // tests play silently
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // libmpv refuses to start under another numeric locale
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
