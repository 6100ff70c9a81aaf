#pragma once
// How the store shows its fixed-wording failure messages. The CLI prints them on stderr, the GUI
// installs a modal box that may be called from any thread, tests record them.
#include <memory>
#include <string>

enum class MessageIcon
{
    Information,
    Warning,
    Error,
};

class IMessageReporter
{
public:
    virtual ~IMessageReporter() = default;
    // caption empty means "the application's title" (an application message box).
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};

// The reporter every new connection starts with; stderr until start-up installs another.
std::shared_ptr<IMessageReporter> DefaultMessageReporter();
void SetDefaultMessageReporter(std::shared_ptr<IMessageReporter> reporter);

class StderrMessageReporter final : public IMessageReporter
{
public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
};
