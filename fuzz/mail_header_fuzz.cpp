// Header fields, names and addresses of a hostile TOP reply: the first line is the field name.
#include "monitors/mail/CMailMessage.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string name = newline == std::string::npos ? "Subject" : input.substr(0, newline);
    CMailMessage message;
    message.SetText(newline == std::string::npos ? input : input.substr(newline + 1));
    message.GetHeaderField(name);
    message.GetDecodedField(name);
    message.GetSubject();
    message.GetDate();
    message.GetFromName();
    message.GetFromAddress();
    message.GetToName();
    message.GetToAddress();
    return 0;
}
