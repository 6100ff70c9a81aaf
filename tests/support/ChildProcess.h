#pragma once
// Runs a program as a child process with extra environment variables, collecting its output.
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct ChildResult
{
    int status = -1; // exit status; 128 + signal when killed
    std::string out;
    std::string err;
};

// Runs to the end, or is killed after the time-out (then status is 128 + SIGKILL).
ChildResult RunChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                     std::chrono::milliseconds timeout = std::chrono::seconds(60));

// Like RunChild, with `input` as the child's standard input.
ChildResult RunChildWithInput(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                              const std::string& input, std::chrono::milliseconds timeout = std::chrono::seconds(60));

// Like RunChild, but sends SIGTERM once `enough` holds for the output so far, then waits for the end.
ChildResult RunChildUntil(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                          const std::function<bool(const std::string& out)>& enough,
                          std::chrono::milliseconds timeout = std::chrono::seconds(120));
