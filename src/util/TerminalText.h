#pragma once
// Text from sources (mail subjects, FTP names, server replies) on its way to a terminal: control
// characters would move the cursor, clear the screen or retitle the window, so each is shown in a
// visible form instead: C0 and DEL in caret notation (ESC as "^["), C1 as "<U+009B>", bytes that
// are no UTF-8 as U+FFFD.
#include <string>
#include <string_view>

// With keepLineBreaks, tabs and line ends stay ("\r\n" becomes "\n"); without, they are shown too.
std::string TerminalSafe(std::string_view text, bool keepLineBreaks);
