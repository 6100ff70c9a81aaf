#pragma once
// The desktop's auto-start entry for the program: $XDG_CONFIG_HOME/autostart/wendar.desktop
// (~/.config when XDG_CONFIG_HOME is unset), starting the executable with "/R" so that it comes
// up hidden in the tray, and with "--home DIR" when the program runs on a data directory of its own.
// Errors: Write and Remove return false with a reason in error.
#include <string>

class AutostartEntry final
{
public:
    // The entry in the user's autostart folder.
    AutostartEntry();
    // The entry in the given autostart folder.
    explicit AutostartEntry(std::string autostartDirectory);

    const std::string& Path() const { return m_path; }
    bool Exists() const;
    // Writes (or rewrites) the entry for the executable at executablePath (an absolute path);
    // dataDirectory, when not empty, is the absolute data directory the program is to start on.
    bool Write(const std::string& executablePath, std::string& error) const { return Write(executablePath, {}, error); }
    bool Write(const std::string& executablePath, const std::string& dataDirectory, std::string& error) const;
    // Removes the entry; true also when there was none.
    bool Remove(std::string& error) const;

    // The file's text for executablePath (and dataDirectory, see Write); empty when a path cannot
    // be written into an entry (relative, or holding a line break or another control character).
    static std::string EntryText(const std::string& executablePath, const std::string& dataDirectory = {});
    static std::string DefaultDirectory();

private:
    std::string m_path;
};
