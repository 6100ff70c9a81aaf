#pragma once
// Passwords never reach the terminal, a log, a pipe, a shown page or an exported file unless the
// user asks (--show-password, "包括口令"):
// the item's Password field, a "PWD=" / "Password=" part of a connection string and the password
// of a URL's user part are shown as kMaskedText.
#include <string>

inline constexpr const char* kMaskedText = "******";

// The password itself: kMaskedText when not empty.
std::string MaskedPassword(const std::string& password, bool show);
// An address with the password parts replaced; everything else as it was.
std::string MaskedAddress(const std::string& address, bool show);
