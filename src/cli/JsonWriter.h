#pragma once
// A small JSON writer for the CLI's --json output. Texts from remote sources may hold bytes that
// are not UTF-8; they are written as U+FFFD so the output always parses.
#include <string>
#include <string_view>

class JsonWriter final
{
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& Value(std::string_view text);
    JsonWriter& Value(const char* text) { return Value(std::string_view(text)); }
    JsonWriter& Value(const std::string& text) { return Value(std::string_view(text)); }
    JsonWriter& Value(long long number);
    JsonWriter& Value(int number) { return Value(static_cast<long long>(number)); }
    JsonWriter& Value(long number) { return Value(static_cast<long long>(number)); }
    JsonWriter& Value(bool flag);
    const std::string& Text() const { return m_out; }

private:
    void Separate();
    std::string m_out;
    bool m_bNeedComma = false;
};

std::string JsonQuote(std::string_view text);
