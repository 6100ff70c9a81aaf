// The Scroll Lock light against a real X server (Xvfb on a free display), and the quiet no-ops
// without a display and in a Wayland session.
#include "platform/ScrollLockLight.h"

#include "ScopedEnv.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";

// Xvfb on a display number it picks itself (-displayfd), stopped at destruction.
class XvfbServer final
{
public:
    XvfbServer()
    {
        if (access(kXvfb, X_OK) != 0) {
            m_error = std::string(kXvfb) + " is missing (Debian package xvfb)";
            return;
        }
        int fds[2];
        if (pipe(fds) != 0) {
            m_error = "pipe failed";
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execl(kXvfb, kXvfb, "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0", "320x240x24",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes the display number and a newline once it accepts clients.
        std::string number;
        pollfd waitFor{fds[0], POLLIN, 0};
        while (poll(&waitFor, 1, 10000) > 0) {
            char c = 0;
            if (read(fds[0], &c, 1) != 1 || c == '\n') {
                break;
            }
            number += c;
        }
        close(fds[0]);
        if (number.empty()) {
            m_error = "Xvfb did not start within 10 s";
            return;
        }
        m_display = ":" + number;
    }
    ~XvfbServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int status = 0;
            while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& Display() const { return m_display; }
    const std::string& Error() const { return m_error; }

private:
    pid_t m_pid = -1;
    std::string m_display;
    std::string m_error;
};

TEST(ScrollLockLightTest, SwitchesTheLightOfARealXServer)
{
    XvfbServer server;
    ASSERT_FALSE(server.Display().empty()) << server.Error();
    ScopedEnv display("DISPLAY", server.Display().c_str());
    ScopedEnv session("XDG_SESSION_TYPE", "x11");
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);

    ScrollLockLight light;
    ASSERT_TRUE(light.IsAvailable());
    EXPECT_FALSE(light.IsOn());
    EXPECT_TRUE(light.Set(true));
    EXPECT_TRUE(light.IsOn());
    // The blink timer switches it every second; repeating a state is harmless.
    EXPECT_TRUE(light.Set(true));
    EXPECT_TRUE(light.IsOn());
    EXPECT_TRUE(light.Set(false));
    EXPECT_FALSE(light.IsOn());
}

TEST(ScrollLockLightTest, DoesNothingWithoutADisplay)
{
    ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
    ScopedEnv session("XDG_SESSION_TYPE", nullptr);
    {
        ScopedEnv display("DISPLAY", nullptr);
        ScrollLockLight light;
        EXPECT_FALSE(light.IsAvailable());
        EXPECT_FALSE(light.Set(true));
        EXPECT_FALSE(light.IsOn());
    }
    {
        // A display that nobody serves.
        ScopedEnv display("DISPLAY", ":4077");
        ScrollLockLight light;
        EXPECT_FALSE(light.IsAvailable());
        EXPECT_FALSE(light.Set(false));
    }
}

TEST(ScrollLockLightTest, LeavesAWaylandSessionAlone)
{
    XvfbServer server;
    ASSERT_FALSE(server.Display().empty()) << server.Error();
    // XWayland offers a DISPLAY too, but its lights are not the keyboard's.
    ScopedEnv display("DISPLAY", server.Display().c_str());
    {
        ScopedEnv session("XDG_SESSION_TYPE", "wayland");
        ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
        ScrollLockLight light;
        EXPECT_FALSE(light.IsAvailable());
        EXPECT_FALSE(light.Set(true));
    }
    {
        ScopedEnv session("XDG_SESSION_TYPE", nullptr);
        ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
        ScrollLockLight light;
        EXPECT_FALSE(light.IsAvailable());
    }
}

} // namespace
