#pragma once
// A failure as the status text shows it: a short sentence the user can act on, then the words of
// the library that failed in parentheses, on one line (the status pane shows one).
#include <string>
#include <string_view>

inline std::string WithLibraryWords(std::string_view sentence, std::string_view words)
{
    std::string text(sentence);
    std::string own;
    for (const char c : words) {
        const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        if (!control) {
            own += c;
        } else if (!own.empty() && own.back() != ' ') {
            own += ' ';
        }
    }
    while (!own.empty() && own.back() == ' ') {
        own.pop_back();
    }
    if (!own.empty() && own != sentence) {
        text += "（" + own + "）";
    }
    return text;
}
