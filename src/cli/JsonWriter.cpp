#include "cli/JsonWriter.h"

#include "util/TextEncoding.h"

#include <cstdio>

std::string JsonQuote(std::string_view text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
            ++i;
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            // C1 controls (U+0080..U+009F) too: JSON printed to a terminal stays inert.
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
            out += buffer;
            i += 2;
        } else if (size_t n = Utf8SequenceLength(text.substr(i))) {
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
