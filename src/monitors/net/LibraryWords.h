#pragma once
// A failure as the status text shows it: a short sentence the user can act on, then the words of
// the library that failed in parentheses, on one line (the status pane shows one).
#include <string>
#include <string_view>

// Line breaks and other control characters become one blank; none at the end.
inline std::string OneLine(std::string_view text)
{
    std::string line;
    for (const char c : text) {
        const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        if (!control) {
            line += c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

inline std::string WithLibraryWords(std::string_view sentence, std::string_view words)
{
    std::string text(sentence);
    const std::string own = OneLine(words);
    if (!own.empty() && own != sentence) {
        text += "（" + own + "）";
    }
    return text;
}
