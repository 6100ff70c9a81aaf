#pragma once
// Reading POP3 replies (RFC 1939): the status test, the end of a reply and the values of the STAT
// and UIDL replies. Untrusted input: any bytes give a result, never a failure.
#include <string>
#include <string_view>

// "+OK" at the front, in any case.
bool IsPositiveReply(std::string_view reply);
// True when the reply read so far is whole: it contains the terminator, or its status line has
// arrived and is not positive (a refusal is always one line, even for TOP).
bool IsReplyComplete(std::string_view reply, std::string_view terminator);
// The reply without its status word and the blanks, tabs, CR and LF after it.
std::string ReplyText(std::string_view reply);
// The message count of a STAT reply text ("2 320\r\n" gives 2); -1 when there is none.
int ParseStatCount(std::string_view text);
// The unique id of a UIDL reply text ("1 whqtsw\r\n" gives "whqtsw\r\n"; "3 abc:def" gives "abc").
std::string ParseUniqueId(std::string_view text);
