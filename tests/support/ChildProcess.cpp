#include "support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// The child writes into unlinked temporary files, read once it has ended (no pipe a daemon could hold open).
int TempFile()
{
    char name[] = "/tmp/wendar-child-XXXXXX";
    const int fd = mkostemp(name, O_CLOEXEC);
    unlink(name);
    return fd;
}

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t n; fd >= 0 && (n = pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;) {
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

std::string ReadAndClose(int fd)
{
    std::string text = ReadAll(fd);
    close(fd);
    return text;
}

} // namespace

ChildResult RunChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                     const ChildOptions& options)
{
    const std::string* input = options.input ? &*options.input : nullptr;
    std::vector<std::string> strings = argv; // the arguments, then the environment
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!env.count(entry.substr(0, entry.find('=')))) {
            strings.push_back(entry);
        }
    }
    for (const auto& [key, value] : env) {
        strings.push_back(key + "=" + value);
    }
    std::vector<char*> pointers;
    for (auto& s : strings) {
        pointers.push_back(s.data());
    }
    pointers.insert(pointers.begin() + static_cast<long>(argv.size()), nullptr);
    pointers.push_back(nullptr);

    const int out = TempFile(), err = TempFile();
    const int in = input ? TempFile() : -1;
    if (in >= 0 && pwrite(in, input->data(), input->size(), 0) != static_cast<ssize_t>(input->size())) {
        close(in);
        return {-1, "", "cannot write the input of " + argv[0]};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in >= 0) {
        posix_spawn_file_actions_adddup2(&actions, in, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const bool started =
        out >= 0 && err >= 0 &&
        posix_spawn(&pid, pointers[0], &actions, &attr, pointers.data(), pointers.data() + argv.size() + 1) == 0;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);

    ChildResult result;
    int status = 0;
    const auto start = std::chrono::steady_clock::now();
    for (bool terminated = false, killed = false; started;) {
        const pid_t ended = waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR)) {
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (!terminated && options.enough && options.enough(ReadAll(out))) {
            terminated = kill(pid, SIGTERM) == 0;
        }
        if (!killed && elapsed >= options.timeout) {
            killed = kill(pid, SIGKILL) == 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (in >= 0) {
        close(in);
    }
    result.out = ReadAndClose(out);
    result.err = started ? ReadAndClose(err) : (close(err), "cannot start " + argv[0]);
    return result;
}
