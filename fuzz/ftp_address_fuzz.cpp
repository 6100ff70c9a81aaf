// An item's address and port text are typed by hand or copied from anywhere.
#include "monitors/ftp/FtpAddress.h"
#include "monitors/ftp/FtpNotice.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    // "address\nport text"
    const std::size_t split = input.find('\n');
    const std::string url = input.substr(0, split);
    const std::string port = split == std::string::npos ? std::string() : input.substr(split + 1);
    FtpAddress address;
    std::string error;
    if (ParseFtpAddress(url, port, address, error)) {
        if (address.port < 1 || address.port > 65535 || address.path.empty() || address.path.front() != '/' ||
            address.path.back() != '/' || address.host.empty()) {
            std::abort();
        }
        const std::string link = FtpDirectoryLink(address, "user", port);
        if (link.find_first_of(" \t\r\n\"'<>`") != std::string::npos) {
            std::abort();
        }
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}
