// Entry point of the tests that need a real X server and window manager; run.sh starts them.
#include "shell/Application.h"

#include <QApplication>

#include <gtest/gtest.h>

// Qt's X11 platform loads D-Bus, which keeps one buffer it never frees; the sanitizer
// build would call that a leak of this program.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    hop::shell::setUpApplication();
    return RUN_ALL_TESTS();
}
