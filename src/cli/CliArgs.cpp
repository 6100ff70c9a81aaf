#include "cli/CliArgs.h"

#include <charconv>
#include <map>

int OptionValueCount(const std::string& word)
{
    static const std::map<std::string, int> counts = {
        {"--home", 1},
        {"--item", 1},
        {"--filter", 1},
        {"--page", 1},
        {"--interval-seconds", 1},
        {"--name", 1},
        {"--category", 1},
        {"--address", 1},
        {"--user", 1},
        {"--password", 1},
        {"--view", 1},
        {"--identity", 1},
        {"--state", 1},
        {"--interval-minutes", 1},
        {"--check-number", 1},
        {"--display", 1},
        {"--notify", 1},
        {"--sound", 1},
        {"--include-from", 1},
        {"--include-to", 1},
        {"--about", 1},
        {"--must-have-id", 1},
        {"--exclude", 2},
        {"--own-schedule", 1},
        {"--expect-minutes", 1},
        {"--trust-certificate", 1},
    };
    const auto it = counts.find(word);
    return it == counts.end() ? 0 : it->second;
}

size_t CliArgs::FindOption(const std::string& name) const
{
    for (size_t i = m_pos; i < m_words.size(); ++i) {
        if (m_words[i] == name) {
            return i;
        }
        i += static_cast<size_t>(OptionValueCount(m_words[i]));
    }
    return std::string::npos;
}

const std::string& CliArgs::Peek() const
{
    static const std::string empty;
    return Empty() ? empty : m_words[m_pos];
}

std::string CliArgs::Next(const char* what)
{
    if (Empty()) {
        throw UsageError(std::string("缺少参数: ") + what);
    }
    return m_words[m_pos++];
}

std::optional<std::string> CliArgs::TakeOption(const std::string& name)
{
    const size_t i = FindOption(name);
    if (i == std::string::npos) {
        return std::nullopt;
    }
    if (i + 1 >= m_words.size()) {
        throw UsageError("选项 " + name + " 需要一个值");
    }
    std::string value = m_words[i + 1];
    m_words.erase(m_words.begin() + static_cast<long>(i), m_words.begin() + static_cast<long>(i) + 2);
    return value;
}

bool CliArgs::TakeFlag(const std::string& name)
{
    const size_t i = FindOption(name);
    if (i == std::string::npos) {
        return false;
    }
    m_words.erase(m_words.begin() + static_cast<long>(i));
    return true;
}

std::vector<std::string> CliArgs::Rest()
{
    std::vector<std::string> rest(m_words.begin() + static_cast<long>(m_pos), m_words.end());
    m_pos = m_words.size();
    return rest;
}

void CliArgs::ExpectEnd() const
{
    if (!Empty()) {
        throw UsageError("多余的参数: " + Peek());
    }
}

int ParseInt(const std::string& text, const char* what)
{
    int value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    auto [ptr, ec] = std::from_chars(begin, end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        throw UsageError(std::string(what) + " 不是一个整数: " + text);
    }
    return value;
}
