#pragma once
// The order of the message list's text columns (SQLite collation "listtext"): ASCII letters
// compare with their case folded, as the list always did; other characters come after ASCII and
// compare with each other by the character keys the application installs (a Chinese collator:
// pinyin order; characters with equal keys are equal), else by code point. The order is
// lexicographic over characters, so it is an order SQLite can sort and page by, and a text's key
// (ListTextKey) compares, byte by byte, as the text does: an index of keys holds the order
// without the collation.
#include <string>
#include <string_view>

// Appends the key of one character beyond ASCII: byte strings that compare (as unsigned bytes) in
// the characters' order, none a proper prefix of another.
using CharacterKey = void (*)(char32_t, std::string&);

inline constexpr const char* kListTextCollation = "listtext";
// The SQL function that gives a text's key as a blob: one byte, then ListTextKey; for null an
// empty blob, so null comes first, as SQLite sorts it.
inline constexpr const char* kListTextKeyFunction = "listtextkey";

// Set once at start-up, before any connection sorts; name tells one order from another (stored
// keys made in another order are made again). Null restores code-point order.
void SetCharacterKey(CharacterKey key, std::string_view name);
// "code point" or the name given with the installed keys.
std::string ListTextOrderName();
int CompareListText(std::string_view a, std::string_view b);
std::string ListTextKey(std::string_view text);
