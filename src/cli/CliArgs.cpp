#include "cli/CliArgs.h"

#include <charconv>

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
    for (size_t i = m_pos; i < m_words.size(); ++i) {
        if (m_words[i] == name) {
            if (i + 1 >= m_words.size()) {
                throw UsageError("选项 " + name + " 需要一个值");
            }
            std::string value = m_words[i + 1];
            m_words.erase(m_words.begin() + static_cast<long>(i), m_words.begin() + static_cast<long>(i) + 2);
            return value;
        }
    }
    return std::nullopt;
}

bool CliArgs::TakeFlag(const std::string& name)
{
    for (size_t i = m_pos; i < m_words.size(); ++i) {
        if (m_words[i] == name) {
            m_words.erase(m_words.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
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
