#pragma once
// The keyboard's lock lights (Caps Lock, Num Lock, Scroll Lock) as the X server reports them,
// for the status bar's indicators. Without an X display, or in a Wayland session, all read off.
struct _XDisplay;

class KeyboardIndicators final
{
public:
    KeyboardIndicators();
    KeyboardIndicators(const KeyboardIndicators&) = delete;
    KeyboardIndicators& operator=(const KeyboardIndicators&) = delete;

    struct State
    {
        bool caps = false;
        bool num = false;
        bool scroll = false;
    };
    State Read() const;

private:
    _XDisplay* m_display = nullptr; // the process's shared connection, not owned
};
