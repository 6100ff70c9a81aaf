#include "platform/KeyboardIndicators.h"

#include "platform/SessionDisplay.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <cstdlib>
#include <cstring>

namespace {
bool IsWaylandSession()
{
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    return (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0) ||
           (waylandDisplay != nullptr && *waylandDisplay != '\0');
}
} // namespace

KeyboardIndicators::KeyboardIndicators()
{
    if (!IsWaylandSession()) {
        m_display = SessionDisplay();
    }
}

KeyboardIndicators::State KeyboardIndicators::Read() const
{
    State state;
    if (m_display == nullptr) {
        return state;
    }
    // The core keyboard's lights: 1 Caps Lock, 2 Num Lock, 3 Scroll Lock.
    unsigned int lights = 0;
    if (XkbGetIndicatorState(m_display, XkbUseCoreKbd, &lights) != Success) {
        XKeyboardState keyboard{};
        XGetKeyboardControl(m_display, &keyboard);
        lights = static_cast<unsigned int>(keyboard.led_mask);
    }
    state.caps = (lights & 1U) != 0;
    state.num = (lights & 2U) != 0;
    state.scroll = (lights & 4U) != 0;
    return state;
}
