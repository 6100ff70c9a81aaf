#include "platform/SessionDisplay.h"

#include <X11/Xlib.h>
#include <cstdlib>
#include <memory>

namespace {

struct DisplayCloser
{
    void operator()(Display* display) const { XCloseDisplay(display); }
};

} // namespace

Display* SessionDisplay()
{
    static const std::unique_ptr<Display, DisplayCloser> display = [] {
        const char* name = std::getenv("DISPLAY");
        return std::unique_ptr<Display, DisplayCloser>(name != nullptr && *name != '\0' ? XOpenDisplay(name) : nullptr);
    }();
    return display.get();
}
