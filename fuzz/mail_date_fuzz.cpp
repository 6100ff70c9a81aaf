// Date header values of any shape.
#include "monitors/mail/CMailMessage.h"
#include "store/DateText.h"
#include "store/UserIdentity.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto moment = CMailMessage::ParseMailDate(text))
        FormatLocalTime(*moment, kFindingDateFormat);
    return 0;
}
