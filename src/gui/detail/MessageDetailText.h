#pragma once
// What the detail pane shows of a message record, without any widget: the header strip's texts,
// the page built from the stored content, the remote address, and the pane's own start page.
// All texts are UTF-8.
#include <string>
#include <string_view>
#include <vector>

class MessageInfo;

// The sender shows its id in parentheses for this user type.
inline constexpr int kUserTypeShowsSenderId = 1102;

struct MessageHeaderTexts
{
    std::string link; // the subject's address; empty = nothing to open
    std::string itemName;
    std::string receiveDate;
    std::string category;
    std::string sourceDate;
    std::string sender;
    std::string subject;
    std::string receiver;
};

// The header of a record, or of no record (nullptr: "还未选择").
MessageHeaderTexts BuildHeaderTexts(const MessageInfo* record, int userType);

// Web page records: their own markup with absolute links. Any other category: line breaks and the
// framing table around the text.
std::string BuildStoredContentHtml(const MessageInfo& record);

// SourceLink, or the item's connAddress when the record has none.
std::string RemoteAddress(const MessageInfo& record);

// The browser's home page.
std::string HomePageHtml();

// A page that tells why nothing else is shown (the text is escaped).
std::string NoticeHtml(const std::string& text);

// The page with every occurrence of the words in its text (not in its tags, scripts or styles)
// marked, Latin letters matched in either case.
std::string HighlightWords(std::string_view html, const std::vector<std::string>& words);
