// items export and items import: the items file of app/ItemsFile.h.
#include "app/CTarvoApp.h"
#include "app/ItemTransfer.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/JsonWriter.h"
#include "cli/RecordJson.h"
#include "util/UiText.h"

#include <ostream>

namespace {

constexpr const char* kAddedText = WENDAR_TR_NOOP("TransferCommands", "增加了 %1 个检查项目");
constexpr const char* kSkippedText = WENDAR_TR_NOOP("TransferCommands", "跳过");

std::string Counted(const char* pattern, size_t n)
{
    std::string text = UiText("TransferCommands", pattern);
    text.replace(text.find("%1"), 2, std::to_string(n));
    return text;
}

} // namespace

int RunExportCommand(CliContext& context, CliArgs& args)
{
    const bool withPasswords = args.TakeFlag("--with-passwords");
    const std::optional<std::string> path = args.TakeOption("-o");
    if (path && path->empty()) {
        throw UsageError(UiText("TransferCommands", "-o 需要一个文件名"));
    }
    std::vector<int> ids;
    for (const std::string& word : args.Rest()) {
        const int id = ParseInt(word, "ID");
        if (id <= 0) {
            throw UsageError(UiText("TransferCommands", "ID 必须大于 0"));
        }
        ids.push_back(id);
    }
    std::string error;
    if (path) {
        if (!ExportItems(context.app.Items(), ids, withPasswords, *path, error)) {
            context.err << error << '\n';
            return 1;
        }
        return 0;
    }
    const auto text = ExportItemsText(context.app.Items(), ids, withPasswords, error);
    if (!text) {
        context.err << error << '\n';
        return 1;
    }
    context.out << *text;
    return 0;
}

int RunImportCommand(CliContext& context, CliArgs& args)
{
    const std::string path = args.Next("FILE");
    args.ExpectEnd();
    std::string error;
    const auto report = ImportItems(context.app.Items(), path, error);
    if (!report) {
        context.err << error << '\n' << Counted(kAddedText, 0) << '\n';
        return 1;
    }
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("added").BeginArray();
        for (const std::string& name : report->added) {
            json.Value(name);
        }
        json.EndArray().Key("skipped").BeginArray();
        for (const SkippedItem& skipped : report->skipped) {
            json.BeginObject().Key("number").Value(skipped.number).Key("name").Value(skipped.name);
            json.Key("reason").Value(skipped.reason).EndObject();
        }
        json.EndArray().EndObject();
        context.out << json.Text() << '\n';
        return 0;
    }
    context.out << Counted(kAddedText, report->added.size()) << '\n';
    for (const std::string& name : report->added) {
        context.out << PlainField(name) << '\n';
    }
    for (const SkippedItem& skipped : report->skipped) {
        context.out << UiText("TransferCommands", kSkippedText) << '\t' << skipped.number << '\t'
                    << PlainField(skipped.name) << '\t' << PlainField(skipped.reason) << '\n';
    }
    return 0;
}
