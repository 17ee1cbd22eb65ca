// Entry point of the tests that need a real display server; run.sh and run-wayland.sh start them.
#include "shell/Application.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

#include <dlfcn.h>
#include <poll.h>

// Qt's X11 platform loads D-Bus, which keeps one buffer it never frees: not this program's leak.
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
    // A reader that never reads on Qt's connection holds Qt's event threads in their next read for good (seen
    // once at exit on a busy machine); the answer to a wl_display.sync wakes them into it before Qt stops them.
    if (std::getenv("HOPSTONE_WEDGE_WAYLAND")) {
        waylandClient<int(WaylandDisplay*, void*)>("wl_display_prepare_read_queue")(qtsDisplay, waylandClient<void*(WaylandDisplay*)>("wl_display_create_queue")(qtsDisplay));
        waylandClient<void*(WaylandDisplay*, unsigned, void*, unsigned, unsigned, ...)>("wl_proxy_marshal_flags")(qtsDisplay, 0, waylandClient<void>("wl_callback_interface"), 1, 0, nullptr);
        pollfd answer{waylandClient<int(WaylandDisplay*)>("wl_display_get_fd")(qtsDisplay), POLLIN, 0};
        waylandClient<int(WaylandDisplay*)>("wl_display_flush")(qtsDisplay), poll(&answer, 1, 5000), poll(nullptr, 0, 100);
    }
    return hop::shell::finish(status);
}
