#include "gui/detail/MessageDetailText.h"

#include "store/MessageInfo.h"
#include "store/MessageTypeInfo.h"
#include "util/MakeLinksAbsolute.h"
#include "util/TextEncoding.h"

#include <QCoreApplication>
#include <array>
#include <cctype>

namespace {

constexpr const char* kNotSelected = QT_TRANSLATE_NOOP("MessageDetailText", "还未选择");
constexpr const char* kReceiveDateLabel = QT_TRANSLATE_NOOP("MessageDetailText", "检测日期:");
constexpr const char* kCategoryLabel = QT_TRANSLATE_NOOP("MessageDetailText", "类型:");
constexpr const char* kSourceDateLabel = QT_TRANSLATE_NOOP("MessageDetailText", "消息日期:");
constexpr const char* kSenderLabel = QT_TRANSLATE_NOOP("MessageDetailText", "发送人:");
constexpr const char* kReceiverLabel = QT_TRANSLATE_NOOP("MessageDetailText", "接收人:");
constexpr std::size_t kReceiverBytes = 15;

constexpr std::array<const char*, 5> kLinkKeywords = {"href=", "HREF=", "src=", "SRC=", "background="};
constexpr const char* kFrameHead = "<hr width='80%' SIZE='1'> <br> <table  width='100%' style='line-height: 150% "
                                   ";color:#008080'><tr><td>";
constexpr const char* kFrameTail = "</td></tr></table><br><hr width='80%' SIZE='1'>";

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n\f\v");
    return text.substr(first, last - first + 1);
}

std::string PageShell(const std::string& body)
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body style=\"font-family: sans-serif; "
           "color: #406080; margin: 2em\">" +
           body + "</body></html>";
}

std::string Label(const char* text)
{
    return QCoreApplication::translate("MessageDetailText", text).toStdString();
}

} // namespace

MessageHeaderTexts BuildHeaderTexts(const MessageInfo* record, int userType)
{
    MessageHeaderTexts texts;
    if (!record) {
        texts.itemName = Label(kNotSelected);
        texts.receiveDate = Label(kReceiveDateLabel);
        texts.category = Label(kCategoryLabel);
        texts.sourceDate = Label(kSourceDateLabel);
        texts.sender = Label(kSenderLabel);
        texts.receiver = Label(kReceiverLabel);
        return texts;
    }
    texts.link = record->SourceLink;
    texts.itemName = DisplayText(record->MessageTypeName);
    texts.receiveDate = Label(kReceiveDateLabel) + DisplayText(record->RecieveDate);
    texts.category = Label(kCategoryLabel) + record->m_strCategoryName;
    texts.sourceDate = Label(kSourceDateLabel) + DisplayText(record->SourceDate);
    texts.sender = Label(kSenderLabel) + DisplayText(record->SourceFromName);
    if (userType == kUserTypeShowsSenderId) {
        texts.sender.append("(").append(DisplayText(record->SourceFromID)).append(")");
    }
    texts.subject = DisplayText(record->SourceInfo);
    // Cut on a character boundary: half a character would show as a replacement mark.
    texts.receiver = Label(kReceiverLabel) + CutUtf8(DisplayText(record->SourceToName), kReceiverBytes);
    return texts;
}

std::string BuildStoredContentHtml(const MessageInfo& record)
{
    std::string text = DisplayText(record.SourceContent);
    if (record.MessageCategory == kCategoryWebPage) {
        std::string base = Trimmed(record.SourceLink);
        if (base.empty()) {
            base = record.connAddress;
        }
        for (const char* keyword : kLinkKeywords) {
            MakeLinksAbsolute(base, keyword, text);
        }
        return text;
    }
    std::string broken;
    broken.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\r') {
            broken += "<br>";
        } else {
            broken += c;
        }
    }
    return kFrameHead + broken + kFrameTail;
}

std::string RemoteAddress(const MessageInfo& record)
{
    return record.SourceLink.empty() ? record.connAddress : record.SourceLink;
}

std::string HomePageHtml()
{
    return PageShell(
        "<h2>Wendar</h2><p>" +
        HtmlEscape(
            QCoreApplication::translate("MessageDetailText", "选择一条消息，它的内容会显示在这里。").toStdString()) +
        "</p>");
}

std::string NoticeHtml(const std::string& text)
{
    return PageShell("<p>" + HtmlEscape(text) + "</p>");
}

namespace {

constexpr const char* kMarkOpen = "<mark style=\"background:#ffe36e;color:inherit\">";
constexpr const char* kMarkClose = "</mark>";

bool SameNoCase(std::string_view text, size_t at, std::string_view word)
{
    if (text.size() - at < word.size()) {
        return false;
    }
    for (size_t i = 0; i < word.size(); ++i) {
        const auto a = static_cast<unsigned char>(text[at + i]);
        const auto b = static_cast<unsigned char>(word[i]);
        if (a != b && !(a < 0x80 && b < 0x80 && std::tolower(a) == std::tolower(b))) {
            return false;
        }
    }
    return true;
}

// The end of an element whose content is no text (script, style) starting at a "<", or 0.
size_t SkipRawElement(std::string_view html, size_t at)
{
    for (std::string_view name : {std::string_view("script"), std::string_view("style")}) {
        if (SameNoCase(html, at + 1, name)) {
            const size_t end = [&] {
                for (size_t close = html.find("</", at); close != std::string_view::npos;
                     close = html.find("</", close + 2)) {
                    if (SameNoCase(html, close + 2, name)) {
                        return close;
                    }
                }
                return html.size();
            }();
            return end;
        }
    }
    return 0;
}

} // namespace

std::string HighlightWords(std::string_view html, const std::vector<std::string>& words)
{
    std::string out;
    out.reserve(html.size());
    size_t at = 0;
    while (at < html.size()) {
        if (html[at] == '<') {
            const size_t raw = SkipRawElement(html, at);
            const size_t close = html.find('>', raw ? raw : at);
            const size_t end = close == std::string_view::npos ? html.size() : close + 1;
            out.append(html.substr(at, end - at));
            at = end;
            continue;
        }
        const std::string* found = nullptr;
        for (const std::string& word : words) {
            if (!word.empty() && SameNoCase(html, at, word) && (!found || word.size() > found->size())) {
                found = &word;
            }
        }
        if (found) {
            out.append(kMarkOpen).append(html.substr(at, found->size())).append(kMarkClose);
            at += found->size();
        } else {
            out += html[at++];
        }
    }
    return out;
}
