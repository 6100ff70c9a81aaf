#pragma once
// A real HTTP server on 127.0.0.1 (cpp-httplib) for tests: serves the pages a test sets, at an
// ephemeral port, and records every request it gets. Unknown paths get 404 "not found".
// Link the test with pkg-config cpp-httplib.
#include <map>
#include <memory>
#include <string>
#include <vector>

class HttpTestServer final
{
public:
    struct Request
    {
        std::string path;
        std::map<std::string, std::string> headers; // names in lower case

        std::string Header(const std::string& lowerName) const;
    };

    // Starts listening; a server that cannot start fails the test loudly.
    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const;
    // "http://127.0.0.1:<port>" + path
    std::string Url(const std::string& path) const;

    // The body is sent as it is (any bytes), with the status code given.
    void SetPage(const std::string& path, const std::string& body, int status = 200,
                 const std::string& contentType = "text/html");

    // Each request gets the next body of the list; the last one is repeated.
    void SetPageSequence(const std::string& path, const std::vector<std::string>& bodies);

    std::vector<Request> Requests() const;
    int RequestCount(const std::string& path) const;
    void ClearRequests();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
