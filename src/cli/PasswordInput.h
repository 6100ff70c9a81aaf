#pragma once
// The password of "--password -": typed at a prompt without echo when standard input is a
// terminal, else the first line of standard input. A password never has to stand on the command
// line, where every local user can read it in the process list.
#include <string>

// Throws UsageError when the input ends in a signal or exceeds kMaxPasswordBytes.
std::string ReadPasswordFromInput();

inline constexpr std::size_t kMaxPasswordBytes = 4096;
