#include "util/SearchWords.h"

#include <algorithm>

namespace {

// ASCII white space and the ideographic space that Chinese input methods type.
constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

bool IsAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

std::vector<std::string> SearchWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    for (size_t i = 0; i < text.size();) {
        const bool ideographic = text.substr(i, kIdeographicSpace.size()) == kIdeographicSpace;
        if (ideographic || IsAsciiSpace(text[i])) {
            if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end()) {
                words.push_back(word);
            }
            word.clear();
            i += ideographic ? kIdeographicSpace.size() : 1;
            continue;
        }
        if (text[i] != '\0') {
            word += text[i];
        }
        ++i;
    }
    if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end()) {
        words.push_back(word);
    }
    return words;
}

size_t Utf8Length(std::string_view text)
{
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}
