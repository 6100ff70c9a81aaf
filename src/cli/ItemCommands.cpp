#include "app/CItemOperations.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "app/ItemRules.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/HealthOutput.h"
#include "cli/JsonWriter.h"
#include "cli/PasswordInput.h"
#include "cli/RecordJson.h"
#include "util/Masking.h"
#include "util/UiText.h"

#include <map>
#include <ostream>

namespace {

constexpr const char* kNotSavedText = WENDAR_TR_NOOP("ItemCommands", "检查项目没有保存");
constexpr int kShownLogEntries = 20;

struct ItemEdit
{
    std::optional<ExcludeRanges> excludes;
    // The item's own options (store/ItemOptions.h), kept beside its row.
    std::optional<bool> ownSchedule;
    std::optional<int> expectMinutes;
    std::optional<std::string> pinnedCertificate;
    bool any = false;
};

int ParseChoice(const std::string& text, const char* what, std::initializer_list<int> allowed)
{
    const int value = ParseInt(text, what);
    for (int a : allowed) {
        if (a == value) {
            return value;
        }
    }
    throw UsageError(std::string(what) + UiText("ItemCommands", " 的值不允许: ") + text);
}

// Applies --name, --category ... to the item; every value is checked before anything is written.
ItemEdit ApplyItemOptions(const std::vector<std::string>& words, MessageTypeInfo& item)
{
    ItemEdit edit;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& option = words[i];
        auto value = [&](size_t n = 1) -> const std::string& {
            if (i + n >= words.size()) {
                throw UsageError(UiText("ItemCommands", "选项 ") + option + UiText("ItemCommands", " 需要一个值"));
            }
            return words[i + n];
        };
        const std::string& v = option == "--exclude" ? value(2) : value();
        if (option == "--name") {
            item.MessageTypeName = v;
        } else if (option == "--category") {
            item.MessageCategory = ParseChoice(v, "--category", {1, 2, 3, 4, 5, 66});
        } else if (option == "--address") {
            item.connAddress = v;
        } else if (option == "--user") {
            item.UserName = v;
        } else if (option == "--password") {
            // "-" reads it from standard input (a prompt without echo on a terminal).
            item.Password = v == "-" ? ReadPasswordFromInput() : v;
        } else if (option == "--view") {
            item.ViewName = v;
        } else if (option == "--identity") {
            item.MessageTypeUser = v;
        } else if (option == "--state") {
            item.state = ParseChoice(v, "--state", {0, 1});
        } else if (option == "--interval-minutes") {
            const int minutes = ParseInt(v, "--interval-minutes");
            if (minutes < 0 || minutes > 35791394) {
                throw UsageError(UiText("ItemCommands", "--interval-minutes 超出范围: ") + v);
            }
            item.CheckInterval = minutes * 60;
        } else if (option == "--check-number") {
            item.CheckNumber = ParseInt(v, "--check-number");
        } else if (option == "--display") {
            item.DisplayType = ParseChoice(v, "--display", {0, 1});
        } else if (option == "--notify") {
            item.bNotify = ParseInt(v, "--notify");
        } else if (option == "--sound") {
            item.notifysound = v;
        } else if (option == "--include-from") {
            item.IncludeFrom = v;
        } else if (option == "--include-to") {
            item.IncludeTo = v;
        } else if (option == "--about") {
            item.About = v;
        } else if (option == "--must-have-id") {
            item.MustHaveID = ParseChoice(v, "--must-have-id", {0, 1});
        } else if (option == "--own-schedule") {
            edit.ownSchedule = ParseChoice(v, "--own-schedule", {0, 1}) == 1;
        } else if (option == "--expect-minutes") {
            const int minutes = ParseInt(v, "--expect-minutes");
            if (minutes < 0) {
                throw UsageError(UiText("ItemCommands", "--expect-minutes 超出范围: ") + v);
            }
            edit.expectMinutes = minutes;
        } else if (option == "--trust-certificate") {
            // "none" forgets the trusted certificate.
            edit.pinnedCertificate = v == "none" ? std::string() : NormalizeFingerprint(v);
            if (v != "none" && edit.pinnedCertificate->empty()) {
                throw UsageError(
                    UiText("ItemCommands", "--trust-certificate 需要证书的 SHA-256 指纹 (64 位十六进制数): ") + v);
            }
        } else if (option == "--exclude") {
            if (!edit.excludes) {
                edit.excludes.emplace();
            }
            edit.excludes->push_back({0, words[i + 1], words[i + 2]});
            ++i;
        } else {
            throw UsageError(UiText("ItemCommands", "未知的选项: ") + option);
        }
        ++i;
        edit.any = true;
    }
    return edit;
}

// The bounds the property dialog holds to as well.
void CheckBounds(const MessageTypeInfo& item, const ItemEdit& edit)
{
    if (auto broken = CheckItemFields(item, edit.excludes ? &*edit.excludes : nullptr)) {
        throw UsageError(broken->text);
    }
}

int ParseId(CliArgs& args, const char* what)
{
    const int id = ParseInt(args.Next(what), what);
    if (id <= 0) {
        throw UsageError(std::string(what) + UiText("ItemCommands", " 必须大于 0"));
    }
    return id;
}

ItemPtr RequireItem(CliContext& context, int id)
{
    ItemPtr item = context.Doc().FindItem(id);
    if (!item) {
        throw UsageError(UiText("ItemCommands", "没有这个检查项目: ") + std::to_string(id));
    }
    return item;
}

void PrintItemLine(std::ostream& out, const MessageTypeInfo& item, const ItemHealth& health, bool showPassword)
{
    const std::string lastCheck = CheckTimeText(health.lastCheckMs);
    out << item.messagetypeid << '\t' << item.MessageCategory << '\t'
        << (item.state ? UiText("ItemCommands", "允许") : UiText("ItemCommands", "禁止")) << '\t'
        << PlainField(item.MessageTypeName) << '\t' << PlainField(MaskedAddress(item.connAddress, showPassword)) << '\t'
        << item.m_nUnreadCount.load() << '\t' << HealthWord(health.state) << '\t'
        << (lastCheck.empty() ? "-" : lastCheck) << '\n';
}

std::map<int, ItemHealth> AllHealth(CliContext& context)
{
    std::string error;
    auto all = context.app.Health().AllHealth(error);
    if (!all) {
        context.err << error << '\n';
        return {};
    }
    return std::move(*all);
}

int ListItems(CliContext& context)
{
    CTarvoDoc& doc = context.Doc();
    doc.RecountUnread();
    const auto items = doc.Items();
    std::map<int, ItemHealth> health = AllHealth(context);
    if (context.json) {
        JsonWriter json;
        json.BeginArray();
        for (const auto& item : items) {
            const ItemHealth& h = health[item->messagetypeid];
            WriteItemJson(json, *item, context.showPassword, [&h](JsonWriter& j) { WriteHealthJson(j, h); });
        }
        json.EndArray();
        context.out << json.Text() << '\n';
        return 0;
    }
    context.out << UiText("ItemCommands", "编号\t类型\t状态\t名称\t链接地址\t未读\t健康\t上次检查\n");
    for (const auto& item : items) {
        PrintItemLine(context.out, *item, health[item->messagetypeid], context.showPassword);
    }
    return 0;
}

int ShowItem(CliContext& context, CliArgs& args)
{
    const int id = ParseId(args, "ID");
    args.ExpectEnd();
    RequireItem(context, id);
    std::string error;
    const auto stored = context.app.Items().Load(id, error);
    if (!stored) {
        context.err << error << '\n';
        return 1;
    }
    const auto health = context.app.Health().Health(id, error);
    const auto options = health ? context.app.Health().Options(id, error) : std::nullopt;
    const auto log = options ? context.app.Health().Log(id, kShownLogEntries, error) : std::nullopt;
    if (!log) {
        context.err << error << '\n';
        return 1;
    }
    const MessageTypeInfo& i = stored->item;
    const ExcludeRanges& ranges = stored->excludes;
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("item");
        WriteItemJson(json, i, context.showPassword, [&](JsonWriter& j) {
            j.Key("ownSchedule").Value(options->ownSchedule).Key("expectMinutes").Value(options->expectMinutes);
            j.Key("trustedCertificate").Value(options->pinnedCertificate);
            WriteHealthJson(j, *health);
            WriteLogJson(j, *log);
        });
        json.Key("excludes").BeginArray();
        for (const auto& range : ranges) {
            WriteExcludeJson(json, range);
        }
        json.EndArray().EndObject();
        context.out << json.Text() << '\n';
        return 0;
    }
    auto& out = context.out;
    out << "messagetypeid\t" << i.messagetypeid << "\nMessageCategory\t" << i.MessageCategory << "\nstate\t" << i.state
        << "\nMessageTypeName\t" << PlainField(i.MessageTypeName) << "\nconnAddress\t"
        << PlainField(MaskedAddress(i.connAddress, context.showPassword)) << "\nUserName\t" << PlainField(i.UserName)
        << "\nPassword\t" << PlainField(MaskedPassword(i.Password, context.showPassword)) << "\nViewName\t"
        << PlainField(i.ViewName) << "\nMessageTypeUser\t" << PlainField(i.MessageTypeUser) << "\nCheckInterval\t"
        << i.CheckInterval << "\nCheckNumber\t" << i.CheckNumber << "\nDisplayType\t" << i.DisplayType << "\nbNotify\t"
        << i.bNotify << "\nnotifysound\t" << PlainField(i.notifysound) << "\nIncludeFrom\t" << PlainField(i.IncludeFrom)
        << "\nIncludeTo\t" << PlainField(i.IncludeTo) << "\nAbout\t" << PlainField(i.About) << "\nMustHaveID\t"
        << i.MustHaveID << "\nbCanChangeState\t" << i.bCanChangeState << "\nunread\t" << i.m_nUnreadCount.load()
        << '\n';
    for (const auto& range : ranges) {
        out << "exclude\t" << PlainField(range.excludeFrom) << '\t' << PlainField(range.excludeTo) << '\n';
    }
    out << "ownSchedule\t" << (options->ownSchedule ? 1 : 0) << "\nexpectMinutes\t" << options->expectMinutes
        << "\ntrustedCertificate\t" << options->pinnedCertificate << "\nhealth\t" << HealthWord(health->state)
        << "\nconsecutiveFailures\t" << health->consecutiveFailures << "\nlastCheck\t"
        << CheckTimeText(health->lastCheckMs) << "\nlastSuccess\t" << CheckTimeText(health->lastSuccessMs)
        << "\nlastError\t" << PlainField(health->lastError) << "\n\n";
    PrintLog(out, *log);
    return 0;
}

// The item and its ranges are stored in one transaction: all or nothing; its own options follow.
bool SaveItem(CliContext& context, MessageTypeInfo& item, const ItemEdit& edit)
{
    std::string error;
    if (!context.app.Items().Save(item, edit.excludes, error)) {
        context.err << error << '\n' << UiText("ItemCommands", kNotSavedText) << '\n';
        return false;
    }
    if (!edit.ownSchedule && !edit.expectMinutes && !edit.pinnedCertificate) {
        return true;
    }
    CHealthOperations& health = context.app.Health();
    auto options = health.Options(item.messagetypeid, error);
    if (options) {
        options->ownSchedule = edit.ownSchedule.value_or(options->ownSchedule);
        options->expectMinutes = edit.expectMinutes.value_or(options->expectMinutes);
        options->pinnedCertificate = edit.pinnedCertificate.value_or(options->pinnedCertificate);
    }
    if (!options || !health.SaveOptions(*options, error)) {
        context.err << error << '\n' << kNotSavedText << '\n';
        return false;
    }
    return true;
}

int AddItem(CliContext& context, CliArgs& args)
{
    auto item = std::make_shared<MessageTypeInfo>();
    const ItemEdit edit = ApplyItemOptions(args.Rest(), *item);
    if (item->MessageTypeName.empty()) {
        throw UsageError(UiText("ItemCommands", "新的检查项目需要 --name"));
    }
    CheckBounds(*item, edit);
    if (!SaveItem(context, *item, edit)) {
        return 1;
    }
    context.Doc().AddItem(item);
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("messagetypeid").Value(item->messagetypeid).EndObject();
        context.out << json.Text() << '\n';
    } else {
        context.out << item->messagetypeid << '\n';
    }
    return 0;
}

int SetItem(CliContext& context, CliArgs& args)
{
    const int id = ParseId(args, "ID");
    MessageTypeInfo edited = *RequireItem(context, id);
    const ItemEdit edit = ApplyItemOptions(args.Rest(), edited);
    if (!edit.any) {
        throw UsageError(UiText("ItemCommands", "没有要修改的字段"));
    }
    CheckBounds(edited, edit);
    if (!SaveItem(context, edited, edit)) {
        return 1;
    }
    context.Doc().ReplaceItem(id, edited);
    return 0;
}

int DeleteItem(CliContext& context, CliArgs& args)
{
    const int id = ParseId(args, "ID");
    args.ExpectEnd();
    RequireItem(context, id);
    std::string error;
    if (!context.app.Items().Delete(id, error)) {
        context.err << error << '\n';
        return 1;
    }
    context.Doc().RemoveItem(id);
    return 0;
}

} // namespace

int RunItemsCommand(CliContext& context, CliArgs& args)
{
    if (args.Empty()) {
        return ListItems(context);
    }
    const std::string sub = args.Next(UiText("ItemCommands", "子命令").c_str());
    if (sub == "show") {
        return ShowItem(context, args);
    }
    if (sub == "add") {
        return AddItem(context, args);
    }
    if (sub == "set") {
        return SetItem(context, args);
    }
    if (sub == "delete") {
        return DeleteItem(context, args);
    }
    if (sub == "export") {
        return RunExportCommand(context, args);
    }
    if (sub == "import") {
        return RunImportCommand(context, args);
    }
    throw UsageError(UiText("ItemCommands", "未知的子命令: items ") + sub);
}

int RunPresetsCommand(CliContext& context, CliArgs& args)
{
    args.ExpectEnd();
    std::string error;
    const auto presets = context.app.Items().Presets(error);
    if (!presets) {
        context.err << error << '\n';
        return 1;
    }
    if (context.json) {
        JsonWriter json;
        json.BeginArray();
        for (const auto& preset : *presets) {
            json.BeginObject().Key("presetid").Value(preset.item.m_nLoadedId).Key("item");
            WriteItemJson(json, preset.item, context.showPassword);
            json.Key("excludes").BeginArray();
            for (const auto& range : preset.excludes) {
                WriteExcludeJson(json, range);
            }
            json.EndArray().EndObject();
        }
        json.EndArray();
        context.out << json.Text() << '\n';
        return 0;
    }
    context.out << UiText("ItemCommands", "编号\t类型\t名称\t链接地址\t排除范围\n");
    for (const auto& preset : *presets) {
        context.out << preset.item.m_nLoadedId << '\t' << preset.item.MessageCategory << '\t'
                    << PlainField(preset.item.MessageTypeName) << '\t'
                    << PlainField(MaskedAddress(preset.item.connAddress, context.showPassword)) << '\t'
                    << preset.excludes.size() << '\n';
    }
    return 0;
}
