#pragma once
// The one server of a kind (a class with bool Start(std::string& error)) that the whole test
// program shares, started on first use; null with the reason when it cannot start.
#include <memory>
#include <string>

template <typename Server> Server* SharedServer(std::string& error)
{
    static std::string s_error;
    static const std::unique_ptr<Server> s_server = [] {
        auto server = std::make_unique<Server>();
        return server->Start(s_error) ? std::move(server) : nullptr;
    }();
    error = s_error;
    return s_server.get();
}
