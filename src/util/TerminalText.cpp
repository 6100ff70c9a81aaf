#include "util/TerminalText.h"

#include "util/TextEncoding.h"

#include <cstdio>

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

void AppendCaret(std::string& out, unsigned char c)
{
    out += '^';
    out += c == 0x7F ? '?' : static_cast<char>(c + 0x40);
}

} // namespace

std::string TerminalSafe(std::string_view text, bool keepLineBreaks)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            if (keepLineBreaks && (c == '\t' || c == '\n')) {
                out += static_cast<char>(c);
            } else if (keepLineBreaks && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                // the "\n" that follows ends the line
            } else {
                AppendCaret(out, c);
            }
            ++i;
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const size_t n = Utf8SequenceLength(text.substr(i));
        if (n == 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        // U+0080..U+009F: C2 80..C2 9F.
        if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "<U+%04X>", static_cast<unsigned char>(text[i + 1]));
            out += buffer;
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    return out;
}
