#pragma once
// The page file of the detail pane, data/content1.htm under the application directory: written
// beside and renamed over (never half a page), mode 0600 in a 0700 folder, since it holds mail and
// notices. The folder is refused when it is a symlink or belongs to someone else; a symlink under
// the file's name is replaced, never followed.
#include <string>

inline constexpr const char* kContentFileName = "data/content1.htm";

// Writes the bytes as the whole file; false with the reason in error. path receives the file's name.
bool WriteContentFile(const std::string& appDir, const std::string& bytes, std::string& path, std::string& error);
