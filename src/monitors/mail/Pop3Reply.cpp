#include "monitors/mail/Pop3Reply.h"

#include <cctype>
#include <climits>

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSpace = " \t\r\n\v\f";

std::string_view TrimFront(std::string_view text, std::string_view chars = kSpace)
{
    const auto first = text.find_first_not_of(chars);
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

} // namespace

bool IsPositiveReply(std::string_view reply)
{
    return reply.size() >= 3 && reply[0] == '+' && std::toupper(static_cast<unsigned char>(reply[1])) == 'O' &&
           std::toupper(static_cast<unsigned char>(reply[2])) == 'K';
}

bool IsReplyComplete(std::string_view reply, std::string_view terminator)
{
    if (reply.find(terminator) != std::string_view::npos)
        return true;
    return reply.find(kLineEnd) != std::string_view::npos && !IsPositiveReply(reply);
}

std::string ReplyText(std::string_view reply)
{
    return std::string(TrimFront(reply.substr(reply.size() < 3 ? reply.size() : 3), " \t\r\n"));
}

int ParseStatCount(std::string_view text)
{
    text = TrimFront(text);
    const auto blank = text.find(' ');
    if (blank == std::string_view::npos)
        return -1; // RFC 1939 wants the size too; a reply without it is not trusted
    text = text.substr(0, blank);
    long long count = 0;
    std::size_t i = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        count = count * 10 + (text[i] - '0');
        if (count > INT_MAX)
            return -1;
        ++i;
    }
    return i == 0 ? -1 : static_cast<int>(count);
}

std::string ParseUniqueId(std::string_view text)
{
    text = TrimFront(text);
    if (const auto blank = text.find(' '); blank != std::string_view::npos)
        text = TrimFront(text.substr(blank));
    if (const auto colon = text.find(':'); colon != std::string_view::npos && colon > 0)
        text = text.substr(0, colon);
    return std::string(text);
}
