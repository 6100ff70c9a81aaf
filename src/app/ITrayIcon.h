#pragma once
// The notification-area icon's tooltip, as the announcements set it.
#include <string>

class ITrayIcon
{
public:
    virtual ~ITrayIcon() = default;
    // At most 63 bytes arrive here, cut on a character boundary.
    virtual void SetToolTip(const std::string& text) = 0;
};
