#include "cli/PasswordInput.h"

#include "cli/CliArgs.h"
#include "util/UiText.h"

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr const char* kPrompt = WENDAR_TR_NOOP("PasswordInput", "口令: ");

// SIGINT and SIGTERM are blocked (main takes them itself), so the prompt looks for them as it waits.
bool SignalPending()
{
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    return sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1;
}

// Reads up to the line's end; false on a signal or when the line is too long.
bool ReadLine(int fd, std::string& line, bool watchSignals)
{
    for (;;) {
        if (watchSignals) {
            pollfd input{fd, POLLIN, 0};
            if (SignalPending()) {
                return false;
            }
            if (poll(&input, 1, 200) <= 0) {
                continue;
            }
        }
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n <= 0 || c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return true;
        }
        if (line.size() >= kMaxPasswordBytes) {
            return false;
        }
        line += c;
    }
}

} // namespace

std::string ReadPasswordFromInput()
{
    std::string password;
    termios saved{};
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0) {
        if (!ReadLine(STDIN_FILENO, password, false)) {
            throw UsageError(UiText("PasswordInput", "标准输入中的口令太长"));
        }
        return password;
    }
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    std::fputs(UiText("PasswordInput", kPrompt).c_str(), stderr);
    std::fflush(stderr);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    const bool complete = ReadLine(STDIN_FILENO, password, true);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
    if (!complete) {
        throw UsageError(UiText("PasswordInput", "没有读到口令"));
    }
    return password;
}
