#pragma once
// Files only the user may read (page copies fetched with the user's credentials): written into a
// folder of mode 0700 as a temporary file of mode 0600 that then takes the final name, so a reader
// never sees half a file, and a symlink planted under that name (or in place of the folder) is
// replaced or refused, never followed.
#include <string>
#include <string_view>

// Creates the folder (0700) when missing and makes an existing one 0700; refuses a folder that is
// a symlink or belongs to someone else. False with the reason in error.
bool WritePrivateFile(const std::string& folder, const std::string& name, std::string_view content, std::string& error);
