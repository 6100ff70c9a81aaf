#pragma once
// Command-line words for wendar-cli, and the one error that ends a command with status 2.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Bad input: the message goes to stderr, the exit status is 2, nothing has been written.
class UsageError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class CliArgs final
{
public:
    explicit CliArgs(std::vector<std::string> words) : m_words(std::move(words)) {}

    bool Empty() const { return m_pos >= m_words.size(); }
    const std::string& Peek() const;
    std::string Next(const char* what);
    // "--name VALUE" / "--name" wherever an option may stand: the values of other options are
    // passed over, so "--password -h" is a password, not a request for help.
    std::optional<std::string> TakeOption(const std::string& name);
    bool TakeFlag(const std::string& name);
    std::vector<std::string> Rest();
    void ExpectEnd() const;

private:
    // The position of the option word, or npos.
    size_t FindOption(const std::string& name) const;

    std::vector<std::string> m_words;
    size_t m_pos = 0;
};

// How many values follow an option word of wendar-cli (0 for flags and for words that are no option).
int OptionValueCount(const std::string& word);

// A whole decimal number that fits an int, or UsageError naming what was expected.
int ParseInt(const std::string& text, const char* what);
