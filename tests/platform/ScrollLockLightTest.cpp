// The Scroll Lock light against a real X server (Xvfb on a free display), and the quiet no-ops
// without a display and in a Wayland session.
#include "platform/ScrollLockLight.h"

#include "ScopedEnv.h"

#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

// Xvfb (Debian package xvfb) on a display number it picks itself, stopped at destruction.
struct XvfbServer final
{
    XvfbServer()
    {
        int fds[2];
        if (pipe(fds) != 0 || (pid = fork()) < 0) {
            return;
        }
        if (pid == 0) {
            const std::string fd = std::to_string(fds[1]);
            execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes the display number and a newline once it accepts clients; a minute at most.
        pollfd ready{fds[0], POLLIN, 0};
        char c = 0;
        while (poll(&ready, 1, 60000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
            display += c;
        }
        close(fds[0]);
        display = display.empty() ? "" : ":" + display;
    }
    ~XvfbServer()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }

    pid_t pid = -1;
    std::string display;
};

TEST(ScrollLockLightTest, SwitchesTheLightOfARealXServerPutsItBackAtTheEndAndDoesNothingWithoutOne)
{
    XvfbServer server;
    ASSERT_NE(server.display, "") << "Xvfb did not start";
    {
        ScopedEnv display("DISPLAY", server.display.c_str());
        ScopedEnv session("XDG_SESSION_TYPE", "x11");
        ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
        ScrollLockLight light;
        ASSERT_TRUE(light.IsAvailable());
        EXPECT_FALSE(light.IsOn());
        EXPECT_TRUE(light.Set(true));
        EXPECT_TRUE(light.IsOn());
        EXPECT_TRUE(light.Set(false));
        EXPECT_FALSE(light.IsOn());
        // The light each found is put back as it ends: on here, left off by the first.
        {
            ScrollLockLight blinking;
            EXPECT_TRUE(blinking.Set(true));
            {
                ScrollLockLight another;
                EXPECT_TRUE(another.Set(false));
                EXPECT_FALSE(light.IsOn());
            }
            EXPECT_TRUE(light.IsOn());
        }
        EXPECT_FALSE(light.IsOn());
    }
    // A Wayland session (XWayland offers a DISPLAY too, but its lights are not the keyboard's), no
    // display, and a display that nobody serves.
    using Env = std::tuple<const char*, const char*, const char*>; // DISPLAY, XDG_SESSION_TYPE, WAYLAND_DISPLAY
    for (const auto& [displayName, sessionType, waylandSocket] :
         {Env{server.display.c_str(), "wayland", nullptr}, Env{server.display.c_str(), nullptr, "wayland-0"},
          Env{nullptr, nullptr, nullptr}, Env{":4077", nullptr, nullptr}}) {
        ScopedEnv display("DISPLAY", displayName);
        ScopedEnv session("XDG_SESSION_TYPE", sessionType);
        ScopedEnv wayland("WAYLAND_DISPLAY", waylandSocket);
        ScrollLockLight light;
        EXPECT_FALSE(light.IsAvailable()) << (displayName ? displayName : "no DISPLAY");
        EXPECT_FALSE(light.Set(true));
        EXPECT_FALSE(light.IsOn());
    }
}

} // namespace
