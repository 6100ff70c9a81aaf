// Listings come from any server the user points an item at: the parsers must take every byte
// sequence, and what they hand out must be safe to put into a notice and a link.
#include "monitors/ftp/CListParser.h"
#include "monitors/ftp/CMlsdParser.h"
#include "monitors/ftp/FtpListingText.h"
#include "monitors/ftp/FtpNotice.h"
#include "util/TextEncoding.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void CheckEntries(const std::vector<FtpEntry>& entries)
{
    for (const FtpEntry& entry : entries) {
        Check(!entry.name.empty());
        Check(entry.name.find_first_of(std::string_view("/\n\0", 3)) == std::string::npos);
        Check(entry.size >= 0);
        if (entry.lastWrite) {
            Check(IsValidFtpTimestamp(*entry.lastWrite));
        }
        const std::string link = FtpEntryLink("ftp://host/dir/", entry.name);
        Check(link.find_first_of(" \t\r\n\"'<>`=") == std::string::npos);
        const std::string shown = DisplayText(entry.name);
        Check(IsValidUtf8(shown));
        const std::string html = HtmlEscape(shown);
        Check(html.find_first_of("<>\"'") == std::string::npos);
        const std::string date = FtpFindingDate(entry.lastWrite);
        Check(date.empty() || date.size() >= 17);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckEntries(CMlsdParser::Parse(text));
    CheckEntries(CListParser(FtpTimestamp{2026, 2, 28, 23, 59, 0}).Parse(text));
    CheckEntries(CListParser(FtpTimestamp{2028, 2, 29, 0, 0, 0}).Parse(text));
    return 0;
}
