// Entry point of the tests that need a real display server; run.sh and run-wayland.sh start them.
#include "shell/Application.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

#include <dlfcn.h>

// Qt's X11 platform loads D-Bus, which keeps one buffer it never frees; the sanitizer
// build would call that a leak of this program.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

struct WaylandDisplay;
static WaylandDisplay* qtsDisplay = nullptr;
template <class Function>
static Function* waylandClient(const char* name) { return reinterpret_cast<Function*>(dlsym(dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_NOLOAD), name)); }

// Stands between Qt and the Wayland library (the program exports it) to learn Qt's connection.
extern "C" WaylandDisplay* wl_display_connect(const char* name) { return qtsDisplay = waylandClient<WaylandDisplay*(const char*)>("wl_display_connect")(name); }

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    hop::shell::setUpApplication();
    const int status = RUN_ALL_TESTS();
    // A reader that never reads on Qt's connection holds Qt's event thread in its next read
    // for good, where it was once seen to stay at exit on a busy machine.
    if (std::getenv("HOPSTONE_WEDGE_WAYLAND"))
        waylandClient<int(WaylandDisplay*, void*)>("wl_display_prepare_read_queue")(
            qtsDisplay, waylandClient<void*(WaylandDisplay*)>("wl_display_create_queue")(qtsDisplay));
    return hop::shell::finish(status);
}
