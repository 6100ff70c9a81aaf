#pragma once
// The commands of wendar-cli. Each returns the exit status; bad input throws UsageError (status 2).
#include <iosfwd>
#include <memory>

class CliArgs;
class CTarvoApp;
class CTarvoDoc;

struct CliContext
{
    CTarvoApp& app;
    bool json = false;
    std::ostream& out;
    std::ostream& err;
    // The document over the app's connection, with every check item loaded and the monitors plugged
    // in; made on first use.
    CTarvoDoc& Doc();

    std::unique_ptr<CTarvoDoc> doc;
    bool showPassword = false; // --show-password: passwords as stored instead of masked
};

int RunItemsCommand(CliContext& context, CliArgs& args);
// items export / items import.
int RunExportCommand(CliContext& context, CliArgs& args);
int RunImportCommand(CliContext& context, CliArgs& args);
int RunPresetsCommand(CliContext& context, CliArgs& args);
int RunMessagesCommand(CliContext& context, CliArgs& args);
int RunMessageCommand(CliContext& context, CliArgs& args);
int RunMarkCommand(CliContext& context, CliArgs& args);
int RunMarkAllCommand(CliContext& context, CliArgs& args);
int RunDeleteCommand(CliContext& context, CliArgs& args);
int RunUndoCommand(CliContext& context, CliArgs& args);
int RunSettingsCommand(CliContext& context, CliArgs& args);
int RunCheckCommand(CliContext& context, CliArgs& args);
int RunWatchCommand(CliContext& context, CliArgs& args);
