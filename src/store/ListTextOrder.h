#pragma once
// The order of the message list's text columns (SQLite collation "listtext"): ASCII letters
// compare with their case folded, as the list always did; other characters come after ASCII and
// compare with each other by the character order the application installs (a Chinese collator:
// pinyin order), else by code point. The order is lexicographic over characters, so it is a
// total order SQLite can sort and page by.
#include <string_view>

// Negative, zero or positive, as a comparison of two characters (both beyond ASCII).
using CharacterOrder = int (*)(char32_t, char32_t);

inline constexpr const char* kListTextCollation = "listtext";

// Set once at start-up, before any connection sorts; null restores code-point order.
void SetCharacterOrder(CharacterOrder order);
int CompareListText(std::string_view a, std::string_view b);
