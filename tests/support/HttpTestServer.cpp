#include "support/HttpTestServer.h"

// Debian's compiled cpp-httplib is built with these; the header must see the same class layouts.
#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#ifndef CPPHTTPLIB_ZLIB_SUPPORT
#define CPPHTTPLIB_ZLIB_SUPPORT
#endif
#ifndef CPPHTTPLIB_BROTLI_SUPPORT
#define CPPHTTPLIB_BROTLI_SUPPORT
#endif
#include <algorithm>
#include <cctype>
#include <chrono>
#include <httplib.h>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

struct Page
{
    std::vector<std::string> bodies;
    std::size_t served = 0;
    int status = 200;
    std::string contentType;
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

struct HttpTestServer::Impl
{
    httplib::Server server;
    std::thread thread;
    int port = -1;
    mutable std::mutex lock;
    std::map<std::string, Page> pages;
    std::vector<Request> requests;
};

std::string HttpTestServer::Request::Header(const std::string& lowerName) const
{
    const auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

HttpTestServer::HttpTestServer() : m_impl(std::make_unique<Impl>())
{
    Impl& impl = *m_impl;
    impl.server.Get(R"(/.*)", [&impl](const httplib::Request& request, httplib::Response& response) {
        Request seen;
        seen.path = request.path;
        for (const auto& [name, value] : request.headers) {
            seen.headers.emplace(Lower(name), value);
        }
        std::lock_guard<std::mutex> guard(impl.lock);
        impl.requests.push_back(std::move(seen));
        const auto it = impl.pages.find(request.path);
        if (it == impl.pages.end()) {
            response.status = 404;
            response.set_content("not found", "text/plain");
            return;
        }
        Page& page = it->second;
        response.status = page.status;
        const std::size_t index = std::min(page.served++, page.bodies.size() - 1);
        response.set_content(page.bodies[index], page.contentType.c_str());
    });
    impl.port = impl.server.bind_to_any_port("127.0.0.1");
    if (impl.port <= 0) {
        throw std::runtime_error("HttpTestServer: cannot bind to 127.0.0.1");
    }
    impl.thread = std::thread([&impl] { impl.server.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!impl.server.is_running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            impl.server.stop();
            impl.thread.join();
            throw std::runtime_error("HttpTestServer: server did not start");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

HttpTestServer::~HttpTestServer()
{
    m_impl->server.stop();
    if (m_impl->thread.joinable()) {
        m_impl->thread.join();
    }
}

int HttpTestServer::port() const
{
    return m_impl->port;
}

std::string HttpTestServer::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_impl->port) + path;
}

void HttpTestServer::SetPage(const std::string& path, const std::string& body, int status,
                             const std::string& contentType)
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    m_impl->pages[path] = Page{{body}, 0, status, contentType};
}

void HttpTestServer::SetPageSequence(const std::string& path, const std::vector<std::string>& bodies)
{
    if (bodies.empty()) {
        throw std::invalid_argument("HttpTestServer::SetPageSequence: no bodies");
    }
    std::lock_guard<std::mutex> guard(m_impl->lock);
    m_impl->pages[path] = Page{bodies, 0, 200, "text/html"};
}

std::vector<HttpTestServer::Request> HttpTestServer::Requests() const
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    return m_impl->requests;
}

int HttpTestServer::RequestCount(const std::string& path) const
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    return static_cast<int>(std::count_if(m_impl->requests.begin(), m_impl->requests.end(),
                                          [&path](const Request& r) { return r.path == path; }));
}

void HttpTestServer::ClearRequests()
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    m_impl->requests.clear();
}
