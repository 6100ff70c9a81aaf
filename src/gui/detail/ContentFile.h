#pragma once
// The page file of the detail pane, data/content1.htm under the application directory. It holds
// mail and notices, so it is a private file (util/PrivateFile.h): 0600 in a 0700 folder, renamed
// over, never written through a symlink.
#include <string>

inline constexpr const char* kContentFileName = "data/content1.htm";

// Writes the bytes as the whole file; false with the reason in error. path receives the file's name.
bool WriteContentFile(const std::string& appDir, const std::string& bytes, std::string& path, std::string& error);
