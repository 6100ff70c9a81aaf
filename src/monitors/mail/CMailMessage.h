#pragma once
// One mail as a TOP reply brings it (the header block, perhaps the first lines of the body), and
// what the mail monitor reads from its header block: header fields (RFC 5322), encoded words
// (RFC 2047) converted to UTF-8, the date, names and addresses. Untrusted input: every operation
// takes any bytes and never fails.
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

class CMailMessage final
{
public:
    void SetText(std::string text) { m_strText = std::move(text); }
    const std::string& GetText() const { return m_strText; }

    // The raw value of every line of the header block that starts with name + ":" (any case), folded
    // continuation lines included with their CR LF; several matches joined by CR LF.
    std::string GetHeaderField(std::string_view name) const;
    // The value decoded by DecodeHeaderText and trimmed; empty for an empty name.
    std::string GetDecodedField(std::string_view name) const;

    std::string GetSubject() const { return GetDecodedField("Subject"); }
    std::string GetDateText() const { return GetDecodedField("date"); }
    std::optional<std::time_t> GetDate() const { return ParseMailDate(GetDateText()); }
    std::string GetFromName() const { return NamePart(GetDecodedField("from")); }
    std::string GetFromAddress() const { return AddressPart(GetDecodedField("from")); }
    std::string GetToName() const { return NamePart(GetDecodedField("to")); }
    std::string GetToAddress() const { return AddressPart(GetDecodedField("to")); }

    // Decodes every encoded word ("=?charset?B|Q?text?=") of a header value into UTF-8; the
    // white space between two adjacent encoded words is dropped, other text is kept.
    static std::string DecodeHeaderText(std::string_view raw);
    // A Date value ("[Tue, ]15 Nov 1994 08:12:31 -0500") as local time, the zone not applied;
    // out-of-range fields carry over. Empty text: 2000-01-01 01:01:01. nullopt when the result
    // falls outside the years 1 to 9999.
    static std::optional<std::time_t> ParseMailDate(std::string_view text);
    // "Name <addr>": the name, trimmed and without enclosing quotes; a bare address: itself.
    static std::string NamePart(std::string_view field);
    // "Name <addr>": addr; a bare address: itself.
    static std::string AddressPart(std::string_view field);

private:
    std::string m_strText;
};
