#pragma once
// Where the program's files are. Two directories:
// - the data directory: the user's own files (message.dat, data/, sounds the user picked);
//   $XDG_DATA_HOME/wendar by default, or the one application directory --home / WENDAR_HOME names;
// - the resource directory: the read-only files that come with the program (messagetype.dat,
//   sound/, ring01.wav, help/); the executable's folder in the build tree, share/wendar when installed.
// A program file is looked up in the data directory first, then in the resource directory.
#include <string>
#include <vector>

// Every directory here ends with '/'.
struct AppDirectories
{
    std::string dataDir;
    std::string resourceDir;
    bool fromHomeOption = false; // --home or WENDAR_HOME named the data directory
};

AppDirectories ResolveAppDirectories(const std::string& homeOption, const std::string& executablePath);
// The data directory alone (see above).
std::string ResolveApplicationDirectory(const std::string& homeOption, const std::string& executablePath);
// $XDG_DATA_HOME/wendar/, or ~/.local/share/wendar/ when that is unset or not absolute.
std::string DefaultDataDirectory();
// The build tree (the executable's folder holds messagetype.dat), else <exe>/../share/wendar when it
// exists (a relocated or DESTDIR install), else the configured install location.
std::string ResourceDirectoryFor(const std::string& executablePath);

// Creates the data directory (mode 0700, parents as needed) when missing; false with a reason.
bool EnsureDataDirectory(const std::string& dir, std::string& error);

// A message.dat left beside the executable by an earlier build is moved into the data directory
// once. Each line of the result is a notice for the user; nothing is ever dropped silently. When the
// move fails the old file stays in use: usedDir is then the executable's folder, else dataDir.
struct LegacyStoreOutcome
{
    std::vector<std::string> notices;
    std::string usedDir;
};
LegacyStoreOutcome AdoptLegacyStore(const std::string& executablePath, const std::string& dataDir);

std::string MainConnectionString(const std::string& appDir);
std::string PresetConnectionString(const std::string& appDir);
// The auto-start test: the raw command line begins with "/R".
bool IsAutoStartCommandLine(const std::string& rawCommandLine);
// Stored paths may be written with '\'; relative ones are taken from the application directory.
std::string ResolveProgramFile(const std::string& appDir, const std::string& storedPath);
// A relative path is the data directory's file when that exists, else the resource directory's
// when that exists, else the data directory's (so a message names where the user's file belongs).
std::string ResolveProgramFile(const std::string& dataDir, const std::string& resourceDir,
                               const std::string& storedPath);
