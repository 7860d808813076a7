// Entry point of the display-mode tests: full screen, frames, maximising and minimising need a
// window manager, so the run gets its own X server with openbox before the QApplication starts.
// Listing the tests (as test discovery does) needs no display.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <clocale>
#include <cstring>
#include <memory>

#include "tests/support/DisplayServer.h"

namespace {
std::unique_ptr<testenv::DisplayServer> g_display;
}

testenv::DisplayServer& ModesDisplay() {
    return *g_display;
}

int main(int argc, char** argv) {
    QTemporaryDir home;
    const QString runtime = home.path() + "/runtime";
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("VELMORA_AO", "null");  // tests play silently
    bool listing = false;
    for (int i = 1; i < argc; ++i) listing |= std::strcmp(argv[i], "--gtest_list_tests") == 0;
    if (listing) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
        // Starting the server waits on its output through an event loop of its own.
        QString error;
        {
            QCoreApplication starting(argc, argv);
            g_display = std::make_unique<testenv::DisplayServer>("xcb", runtime);
            error = g_display->Start();
        }
        if (!error.isEmpty()) {
            fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        qputenv("DISPLAY", g_display->Env().value("DISPLAY").toUtf8());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int status = 0;
    {
        QApplication app(argc, argv);
        std::setlocale(LC_NUMERIC, "C");  // libmpv refuses to start under another numeric locale
        ::testing::InitGoogleTest(&argc, argv);
        status = RUN_ALL_TESTS();
    }
    g_display.reset();  // the X server goes after the last window
    return status;
}
