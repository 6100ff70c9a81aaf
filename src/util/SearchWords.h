#pragma once
// The words of a search text: split at white space, each kept whole ("C++", "\"quoted\"").
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SearchWords(std::string_view text);

// The number of characters (code points) of a UTF-8 text.
size_t Utf8Length(std::string_view text);
