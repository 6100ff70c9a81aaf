#pragma once
// How the store shows its fixed-wording failure messages. Each connection is handed its reporter:
// the CLI prints them on stderr, the GUI shows a box, tests record them.
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

// What a connection uses when it was handed no reporter.
class StderrMessageReporter final : public IMessageReporter
{
public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
};
