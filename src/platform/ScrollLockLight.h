#pragma once
// The keyboard's Scroll Lock light, switched through the X server (the light is not tied to a
// modifier, so faking the key would change nothing). Without an X display, or in a Wayland
// session, every call does nothing and returns false. Errors are swallowed: the light is a hint.
// The light the program found is put back as it ends: blinking must not leave the keyboard's light
// turned over.
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
    bool Switch(bool on);

    std::string m_displayName;
    mutable bool m_bOpenTried = false;
    mutable _XDisplay* m_display = nullptr;
    int m_nFound = -1; // the light before the first change: -1 until then, else 0 or 1
};
