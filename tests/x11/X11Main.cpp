// Entry point of the tests that need a real X server and window manager: starts a
// private Xvfb (on a free display) and openbox, runs the tests on the xcb platform,
// then stops both by their process ids.
#include "shell/Application.h"

#include <QApplication>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// Starts a program that the kernel stops should this test die first.
pid_t spawn(std::vector<const char*> argv, int keepFd = -1)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    for (int fd = 3; fd < 256; ++fd)
        if (fd != keepFd)
            close(fd);
    argv.push_back(nullptr);
    execvp(argv[0], const_cast<char* const*>(argv.data()));
    std::perror(argv[0]);
    _exit(127);
}

// Waits up to 5 s until `display` takes clients and, when asked, openbox runs on it:
// openbox names its theme on the root window late in its start.
bool ready(const std::string& display, bool needManager)
{
    for (int i = 0; i < 250; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
        bool ok = !xcb_connection_has_error(c);
        if (ok && needManager) {
            xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, 9, "_OB_THEME"), nullptr);
            const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
            // An atom not interned yet is none, and asking for it fails.
            xcb_get_property_reply_t* p = xcb_get_property_reply(
                c, xcb_get_property(c, 0, root, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr);
            ok = p && xcb_get_property_value_length(p) > 0;
            std::free(p);
            std::free(atom);
        }
        xcb_disconnect(c);
        if (ok)
            return true;
    }
    return false;
}

void stop(pid_t pid)
{
    if (pid > 0 && kill(pid, SIGTERM) == 0)
        waitpid(pid, nullptr, 0);
}

} // namespace

// Qt's X11 platform loads D-Bus, which keeps one buffer it never frees; the sanitizer
// build would call that a leak of this program.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Other test runs start X servers at the same time; a display lost to one of them
    // is given up and another one started.
    pid_t xvfb = -1;
    pid_t openbox = -1;
    for (int attempt = 0; attempt < 3 && openbox < 0; ++attempt) {
        // Xvfb picks a free display and writes its number once it listens.
        int fds[2];
        if (pipe(fds) != 0)
            break;
        const std::string fd = std::to_string(fds[1]);
        xvfb = spawn({"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"}, fds[1]);
        close(fds[1]);
        std::string display = ":";
        pollfd in{fds[0], POLLIN, 0};
        for (char c = 0; poll(&in, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n';)
            display += c;
        close(fds[0]);
        if (display.size() > 1 && ready(display, false)) {
            setenv("DISPLAY", display.c_str(), 1);
            openbox = spawn({"openbox", "--sm-disable"});
            if (ready(display, true))
                break;
        }
        stop(openbox);
        stop(xvfb);
        openbox = xvfb = -1;
    }
    int result = 1;
    if (openbox > 0) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        QApplication app(argc, argv);
        hop::shell::setUpApplication();
        result = RUN_ALL_TESTS();
    } else {
        std::fprintf(stderr, "Xvfb and openbox did not start (scripts/install-deps installs them)\n");
    }
    stop(openbox);
    stop(xvfb);
    return result;
}
