#include "monitors/ftp/CMlsdParser.h"

#include "monitors/ftp/FtpListingText.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// "YYYYMMDDHHMMSS" with optional ".sss" fractions, UTC.
std::optional<FtpTimestamp> ParseModify(std::string_view value)
{
    const std::size_t dot = value.find('.');
    if (dot != std::string_view::npos) {
        if (!ParseFtpDecimal(value.substr(dot + 1), 9)) {
            return std::nullopt;
        }
        value = value.substr(0, dot);
    }
    if (value.size() != 14 || !ParseFtpDecimal(value)) {
        return std::nullopt;
    }
    const auto part = [&](std::size_t offset, std::size_t length) {
        return static_cast<int>(*ParseFtpDecimal(value.substr(offset, length)));
    };
    const FtpTimestamp utc{part(0, 4), part(4, 2), part(6, 2), part(8, 2), part(10, 2), part(12, 2)};
    if (!IsValidFtpTimestamp(utc)) {
        return std::nullopt;
    }
    return FtpUtcToLocal(utc);
}

} // namespace

std::optional<FtpEntry> CMlsdParser::ParseLine(std::string_view line)
{
    // The facts end at the first blank; everything after that one blank is the name.
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) {
        return std::nullopt;
    }
    FtpEntry entry;
    entry.name = std::string(line.substr(blank + 1));
    if (entry.name.empty() || entry.name.find('/') != std::string::npos || entry.name.find('\0') != std::string::npos) {
        return std::nullopt;
    }

    std::string_view facts = line.substr(0, blank);
    std::optional<std::int64_t> size;
    std::optional<std::int64_t> directorySize;
    bool sawType = false;
    while (!facts.empty()) {
        const std::size_t end = facts.find(';');
        const std::string_view fact = facts.substr(0, end);
        facts = end == std::string_view::npos ? std::string_view() : facts.substr(end + 1);
        const std::size_t equals = fact.find('=');
        if (equals == std::string_view::npos) {
            // A facts part without "fact=value" pairs is not an MLSD line at all.
            if (!fact.empty()) {
                return std::nullopt;
            }
            continue;
        }
        const std::string_view key = fact.substr(0, equals);
        const std::string_view value = fact.substr(equals + 1);
        if (EqualsIgnoreCase(key, "type")) {
            sawType = true;
            if (EqualsIgnoreCase(value, "cdir") || EqualsIgnoreCase(value, "pdir")) {
                return std::nullopt;
            }
            entry.isDirectory = EqualsIgnoreCase(value, "dir");
        } else if (EqualsIgnoreCase(key, "modify")) {
            entry.lastWrite = ParseModify(value);
        } else if (EqualsIgnoreCase(key, "size")) {
            size = ParseFtpDecimal(value);
        } else if (EqualsIgnoreCase(key, "sizd")) {
            directorySize = ParseFtpDecimal(value);
        }
    }
    if (!sawType && !entry.lastWrite) {
        return std::nullopt;
    }
    entry.size = size ? *size : directorySize.value_or(0);
    return entry;
}

std::vector<FtpEntry> CMlsdParser::Parse(std::string_view listing)
{
    std::vector<FtpEntry> entries;
    for (const std::string_view line : SplitListingLines(listing)) {
        if (auto entry = ParseLine(line)) {
            entries.push_back(std::move(*entry));
        }
    }
    return entries;
}
