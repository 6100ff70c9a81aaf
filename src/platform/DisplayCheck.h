#pragma once
// Whether the desktop program has a display to open, asked before Qt is started: without one Qt
// ends the process with an abort, where the user should read one line that says what is missing.
#include <string>

// Empty when a display can be used: QT_QPA_PLATFORM names a platform, WAYLAND_DISPLAY is set, or
// the X server of DISPLAY answers. Otherwise the reason, in one line.
std::string MissingDisplayReason();
