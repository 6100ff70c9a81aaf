#pragma once
// Runs a program as a child process with extra environment variables, collecting its output.
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct ChildResult
{
    int status = -1; // exit status; 128 + signal when killed
    std::string out;
    std::string err;
};

struct ChildOptions
{
    std::chrono::milliseconds timeout = std::chrono::seconds(60); // then killed: status 128 + SIGKILL
    std::optional<std::string> input;                             // the child's standard input
    std::function<bool(const std::string& out)> enough;           // SIGTERM once it holds for the output so far
};

ChildResult RunChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {},
                     const ChildOptions& options = {});
