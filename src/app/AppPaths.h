#pragma once
// Where the program's files are: the application directory (the executable's folder unless
// WENDAR_HOME or --home names another), and the two local connection strings.
#include <string>

// Always ends with '/'.
std::string ResolveApplicationDirectory(const std::string& homeOption, const std::string& executablePath);
std::string MainConnectionString(const std::string& appDir);
std::string PresetConnectionString(const std::string& appDir);
// The auto-start test: the raw command line begins with "/R".
bool IsAutoStartCommandLine(const std::string& rawCommandLine);
// Stored paths may be written with '\'; relative ones are taken from the application directory.
std::string ResolveProgramFile(const std::string& appDir, const std::string& storedPath);
