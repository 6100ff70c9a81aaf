#include "platform/ScrollLockLight.h"

#include <X11/Xlib.h>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {
// Scroll Lock is the third keyboard light.
constexpr int kScrollLockLed = 3;

bool IsWaylandSession()
{
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    if (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0) {
        return true;
    }
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    return waylandDisplay != nullptr && *waylandDisplay != '\0';
}

// Set while one of our requests is in flight, so that a refused request (a server without the
// light, an access control) is noted instead of ending the program with Xlib's default handler.
std::atomic<bool> g_requestFailed{false};

int NoteXError(Display*, XErrorEvent*)
{
    g_requestFailed = true;
    return 0;
}
} // namespace

ScrollLockLight::ScrollLockLight()
{
    // Through XWayland the light of the real keyboard cannot be reached.
    if (IsWaylandSession()) {
        return;
    }
    if (const char* display = std::getenv("DISPLAY")) {
        m_displayName = display;
    }
}

Display* ScrollLockLight::Connection() const
{
    if (!m_bOpenTried) {
        m_bOpenTried = true;
        if (!m_displayName.empty()) {
            m_display = XOpenDisplay(m_displayName.c_str());
        }
    }
    return m_display;
}

ScrollLockLight::~ScrollLockLight()
{
    if (m_display != nullptr) {
        if (m_nFound >= 0) {
            Switch(m_nFound == 1);
        }
        XCloseDisplay(m_display);
    }
}

bool ScrollLockLight::Set(bool on)
{
    if (Connection() == nullptr) {
        return false;
    }
    if (m_nFound < 0) {
        m_nFound = IsOn() ? 1 : 0;
    }
    return Switch(on);
}

bool ScrollLockLight::Switch(bool on)
{
    Display* display = Connection();
    XKeyboardControl control{};
    control.led = kScrollLockLed;
    control.led_mode = on ? LedModeOn : LedModeOff;
    g_requestFailed = false;
    XErrorHandler previous = XSetErrorHandler(NoteXError);
    XChangeKeyboardControl(display, KBLed | KBLedMode, &control);
    XSync(display, False);
    XSetErrorHandler(previous);
    return !g_requestFailed;
}

bool ScrollLockLight::IsOn() const
{
    Display* display = Connection();
    if (display == nullptr) {
        return false;
    }
    XKeyboardState state{};
    XGetKeyboardControl(display, &state);
    return (state.led_mask & (1UL << (kScrollLockLed - 1))) != 0;
}
