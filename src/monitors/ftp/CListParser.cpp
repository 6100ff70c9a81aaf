#include "monitors/ftp/CListParser.h"

#include "monitors/ftp/FtpListingText.h"

#include <array>
#include <cctype>
#include <string>

namespace {

constexpr std::int64_t kFutureSlackSeconds = 24 * 60 * 60;

// A blank-separated word with where it starts in the line.
struct Word
{
    std::string_view text;
    std::size_t offset = 0;
};

// The first maxWords words of the line.
std::vector<Word> SplitWords(std::string_view line, std::size_t maxWords)
{
    std::vector<Word> words;
    std::size_t i = 0;
    while (words.size() < maxWords) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        if (i == line.size()) {
            break;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        words.push_back(Word{line.substr(start, i - start), start});
    }
    return words;
}

std::optional<int> MonthNumber(std::string_view word)
{
    static constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
    if (word.size() != 3) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        bool same = true;
        for (std::size_t k = 0; k < 3; ++k) {
            same = same && std::tolower(static_cast<unsigned char>(word[k])) == kMonths[i][k];
        }
        if (same) {
            return static_cast<int>(i) + 1;
        }
    }
    return std::nullopt;
}

// "HH:MM" into hour and minute.
bool ParseClock(std::string_view text, int& hour, int& minute)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const auto h = ParseFtpDecimal(text.substr(0, colon), 2);
    const auto m = ParseFtpDecimal(text.substr(colon + 1), 2);
    if (!h || !m || text.size() - colon - 1 != 2) {
        return false;
    }
    hour = static_cast<int>(*h);
    minute = static_cast<int>(*m);
    return true;
}

bool IsAcceptableName(std::string_view name)
{
    return !name.empty() && name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

} // namespace

std::optional<FtpEntry> CListParser::ParseLine(std::string_view line) const
{
    if (auto entry = ParseUnixLine(line)) {
        return entry;
    }
    return ParseDosLine(line);
}

std::vector<FtpEntry> CListParser::Parse(std::string_view listing) const
{
    std::vector<FtpEntry> entries;
    for (const std::string_view line : SplitListingLines(listing)) {
        if (auto entry = ParseLine(line)) {
            entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

std::optional<FtpEntry> CListParser::ParseUnixLine(std::string_view line) const
{
    // The mode: a type letter and at least nine permission letters.
    static constexpr std::string_view kTypes = "-dlbcps";
    if (line.size() < 10 || kTypes.find(line[0]) == std::string_view::npos) {
        return std::nullopt;
    }
    // Owner and group are optional on some servers, so look for "size month day time" anywhere
    // after the mode and the link count.
    const std::vector<Word> words = SplitWords(line, 9);
    for (std::size_t i = 2; i + 2 < words.size(); ++i) {
        const auto month = MonthNumber(words[i].text);
        const auto size = ParseFtpDecimal(words[i - 1].text);
        const auto day = ParseFtpDecimal(words[i + 1].text, 2);
        if (!month || !size || !day) {
            continue;
        }
        const Word& timeWord = words[i + 2];
        FtpTimestamp time{0, *month, static_cast<int>(*day), 0, 0, 0};
        if (ParseClock(timeWord.text, time.hour, time.minute)) {
            time.year = m_now.year;
            if (!IsValidFtpTimestamp(time) ||
                FtpTimestampAsUtcSeconds(time) - FtpTimestampAsUtcSeconds(m_now) > kFutureSlackSeconds) {
                // Last year; for 29 February the latest leap year before.
                do {
                    --time.year;
                } while (!IsValidFtpTimestamp(time) && time.year > m_now.year - 8);
            }
        } else if (const auto year = ParseFtpDecimal(timeWord.text, 4); year && timeWord.text.size() == 4) {
            time.year = static_cast<int>(*year);
        } else {
            continue;
        }
        if (!IsValidFtpTimestamp(time)) {
            return std::nullopt;
        }
        // Exactly one blank separates the time from the name; further blanks belong to the name.
        const std::size_t nameStart = timeWord.offset + timeWord.text.size() + 1;
        if (nameStart >= line.size()) {
            return std::nullopt;
        }
        std::string_view name = line.substr(nameStart);
        if (line[0] == 'l') {
            if (const std::size_t arrow = name.find(" -> "); arrow != std::string_view::npos) {
                name = name.substr(0, arrow);
            }
        }
        if (!IsAcceptableName(name)) {
            return std::nullopt;
        }
        FtpEntry entry;
        entry.name = std::string(name);
        entry.isDirectory = line[0] == 'd';
        entry.size = *size;
        entry.lastWrite = time;
        return entry;
    }
    return std::nullopt;
}

std::optional<FtpEntry> CListParser::ParseDosLine(std::string_view line)
{
    const std::vector<Word> words = SplitWords(line, 3);
    if (words.size() < 3) {
        return std::nullopt;
    }
    // MM-DD-YY or MM-DD-YYYY.
    const std::string_view date = words[0].text;
    if (date.size() != 8 && date.size() != 10) {
        return std::nullopt;
    }
    if (date[2] != '-' || date[5] != '-') {
        return std::nullopt;
    }
    const auto month = ParseFtpDecimal(date.substr(0, 2), 2);
    const auto day = ParseFtpDecimal(date.substr(3, 2), 2);
    const auto year = ParseFtpDecimal(date.substr(6), 4);
    if (!month || !day || !year) {
        return std::nullopt;
    }
    FtpTimestamp time{static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day), 0, 0, 0};
    if (date.size() == 8) {
        // Two-digit years: 70..99 are the 1900s, the rest this century.
        time.year += time.year >= 70 ? 1900 : 2000;
    }

    // HH:MM with an optional AM/PM, attached or not.
    std::string_view clock = words[1].text;
    std::optional<bool> afternoon;
    if (clock.size() > 2) {
        const std::string_view suffix = clock.substr(clock.size() - 2);
        if (suffix == "AM" || suffix == "am") {
            afternoon = false;
        } else if (suffix == "PM" || suffix == "pm") {
            afternoon = true;
        }
        if (afternoon) {
            clock.remove_suffix(2);
        }
    }
    if (!ParseClock(clock, time.hour, time.minute)) {
        return std::nullopt;
    }
    if (afternoon) {
        if (time.hour < 1 || time.hour > 12) {
            return std::nullopt;
        }
        time.hour = time.hour % 12 + (*afternoon ? 12 : 0);
    }
    if (!IsValidFtpTimestamp(time)) {
        return std::nullopt;
    }

    FtpEntry entry;
    entry.lastWrite = time;
    const std::string_view sizeOrDir = words[2].text;
    if (sizeOrDir == "<DIR>" || sizeOrDir == "<dir>") {
        entry.isDirectory = true;
    } else if (const auto size = ParseFtpDecimal(sizeOrDir)) {
        entry.size = *size;
    } else {
        return std::nullopt;
    }
    // The name is the rest of the line after the blanks that follow the size column.
    std::size_t nameStart = words[2].offset + sizeOrDir.size();
    while (nameStart < line.size() && (line[nameStart] == ' ' || line[nameStart] == '\t')) {
        ++nameStart;
    }
    const std::string_view name = line.substr(nameStart);
    if (!IsAcceptableName(name)) {
        return std::nullopt;
    }
    entry.name = std::string(name);
    return entry;
}
