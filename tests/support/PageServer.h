#pragma once
// Pages served by a real HTTP server on 127.0.0.1 (Debian's compiled cpp-httplib: only for test
// programs that link it). Each path answers with the page a test set, after its delay; "/to/x"
// redirects to "/x"; any other path is a 404. Every request is recorded. With a certificate and
// its key the server speaks HTTPS.
#include "support/WaitUntil.h"

#include <chrono>
#include <httplib.h>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class PageServer final
{
public:
    PageServer() : PageServer(std::make_unique<httplib::Server>(), "http") {}
    PageServer(const std::string& certFile, const std::string& keyFile)
        : PageServer(std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str()), "https")
    {}
    ~PageServer()
    {
        m_server->stop();
        m_thread.join();
    }
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    std::string Url(const std::string& path) const
    {
        return m_scheme + "://127.0.0.1:" + std::to_string(m_port) + path;
    }
    // Sets the page of a path; its URL.
    std::string SetPage(const std::string& path, const std::string& body,
                        const std::string& type = "text/html; charset=utf-8", std::chrono::milliseconds delay = {})
    {
        std::lock_guard guard(m_lock);
        m_pages[path] = {body, type, delay};
        return Url(path);
    }
    std::vector<httplib::Request> Requests() const
    {
        std::lock_guard guard(m_lock);
        return m_requests;
    }

private:
    struct Page
    {
        std::string body, type;
        std::chrono::milliseconds delay{};
    };

    PageServer(std::unique_ptr<httplib::Server> server, std::string scheme)
        : m_server(std::move(server)), m_scheme(std::move(scheme))
    {
        m_server->Get(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
            std::unique_lock guard(m_lock);
            m_requests.push_back({.path = request.path, .headers = request.headers});
            const auto page = m_pages.find(request.path);
            if (request.path.starts_with("/to/")) {
                response.set_redirect(request.path.substr(3));
            } else if (page == m_pages.end()) {
                response.status = 404;
                response.set_content("not found", "text/plain");
            } else {
                response.set_content(page->second.body, page->second.type);
                const auto delay = page->second.delay;
                guard.unlock();
                std::this_thread::sleep_for(delay); // a slow page, not a wait of the test's
            }
        });
        m_port = m_server->bind_to_any_port("127.0.0.1");
        if (m_port <= 0)
            throw std::runtime_error("PageServer: cannot listen on 127.0.0.1");
        m_thread = std::thread([this] { m_server->listen_after_bind(); });
        WaitUntil([this] { return m_server->is_running(); });
    }

    std::unique_ptr<httplib::Server> m_server;
    std::string m_scheme;
    int m_port = 0;
    mutable std::mutex m_lock;
    std::map<std::string, Page> m_pages;
    std::vector<httplib::Request> m_requests;
    std::thread m_thread;
};
