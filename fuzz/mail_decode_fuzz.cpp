// RFC 2047 decoding and charset conversion of any header value.
#include "monitors/mail/CMailMessage.h"
#include "util/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const std::string decoded = CMailMessage::DecodeHeaderText(raw);
    // Decoding never loses the text: every output comes from the input or a conversion of it.
    if (raw.find("=?") == std::string_view::npos && IsValidUtf8(raw) && decoded != raw)
        std::abort();
    return 0;
}
