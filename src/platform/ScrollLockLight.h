#pragma once
// The keyboard's Scroll Lock light, switched through the X server (the light is not tied to a
// modifier, so faking the key would change nothing). Without an X display, or in a Wayland
// session, every call does nothing and returns false. Errors are swallowed: the light is a hint.
#include <string>

struct _XDisplay;

class ScrollLockLight final
{
public:
    // Takes $DISPLAY unless the session is a Wayland one; the connection opens on first use, so a
    // light that never blinks costs the start no connection.
    ScrollLockLight();
    ~ScrollLockLight();
    ScrollLockLight(const ScrollLockLight&) = delete;
    ScrollLockLight& operator=(const ScrollLockLight&) = delete;

    bool IsAvailable() const { return Connection() != nullptr; }
    // True when the server accepted the change.
    bool Set(bool on);
    // The light as the server reports it; false without a display.
    bool IsOn() const;

private:
    _XDisplay* Connection() const;

    std::string m_displayName;
    mutable bool m_bOpenTried = false;
    mutable _XDisplay* m_display = nullptr;
};
