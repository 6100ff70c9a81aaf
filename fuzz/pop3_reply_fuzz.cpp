// POP3 reply reading: a reply that arrives in pieces, its end, its status and the values of the
// STAT and UIDL replies. The first byte chooses the piece size.
#include "monitors/mail/Pop3Reply.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 16;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string reply;
    for (std::size_t offset = 0; offset < input.size(); offset += piece) {
        reply.append(input.substr(offset, piece));
        if (IsReplyComplete(reply, "\r\n.\r\n") || IsReplyComplete(reply, "\r\n"))
            break;
    }
    if (IsPositiveReply(reply)) {
        const std::string text = ReplyText(reply);
        ParseStatCount(text);
        ParseUniqueId(text);
    }
    return 0;
}
