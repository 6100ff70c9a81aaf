#include "cli/JsonWriter.h"

#include <cstdio>

namespace {

// Length of a valid UTF-8 sequence at text[i], or 0.
size_t Utf8Length(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size()) {
        return 0;
    }
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    if ((n == 2 && c < 0xC2) || (n == 3 && c == 0xE0 && byte(i + 1) < 0xA0) ||
        (n == 3 && c == 0xED && byte(i + 1) >= 0xA0) || (n == 4 && c == 0xF0 && byte(i + 1) < 0x90) ||
        (n == 4 && (c > 0xF4 || (c == 0xF4 && byte(i + 1) >= 0x90)))) {
        return 0;
    }
    return n;
}

} // namespace

std::string JsonQuote(std::string_view text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
            ++i;
        } else if (size_t n = Utf8Length(text, i)) {
            out.append(text.substr(i, n));
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    out += '"';
    return out;
}

void JsonWriter::Separate()
{
    if (m_bNeedComma) {
        m_out += ',';
    }
    m_bNeedComma = true;
}

JsonWriter& JsonWriter::BeginObject()
{
    Separate();
    m_out += '{';
    m_bNeedComma = false;
    return *this;
}

JsonWriter& JsonWriter::EndObject()
{
    m_out += '}';
    m_bNeedComma = true;
    return *this;
}

JsonWriter& JsonWriter::BeginArray()
{
    Separate();
    m_out += '[';
    m_bNeedComma = false;
    return *this;
}

JsonWriter& JsonWriter::EndArray()
{
    m_out += ']';
    m_bNeedComma = true;
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key)
{
    Separate();
    m_out += JsonQuote(key);
    m_out += ':';
    m_bNeedComma = false;
    return *this;
}

JsonWriter& JsonWriter::Value(std::string_view text)
{
    Separate();
    m_out += JsonQuote(text);
    return *this;
}

JsonWriter& JsonWriter::Value(long long number)
{
    Separate();
    m_out += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::Value(bool flag)
{
    Separate();
    m_out += flag ? "true" : "false";
    return *this;
}
