#include "app/CTarvoApp.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/JsonWriter.h"
#include "util/UiText.h"

#include <ostream>

int RunSettingsCommand(CliContext& context, CliArgs& args)
{
    Settings& settings = context.app.m_settings;
    if (!args.Empty()) {
        const std::string key = args.Next("KEY");
        const std::string text = args.Next("VALUE");
        args.ExpectEnd();
        int* field = settings.Field(key);
        if (!field) {
            throw UsageError(UiText("SettingsCommand", "没有这个设置: ") + key);
        }
        if (key == "UserType") {
            throw UsageError(UiText("SettingsCommand", "UserType 只能读取，不能设置"));
        }
        const int value = ParseInt(text, key.c_str());
        const SettingBounds* bounds = Settings::Bounds(key);
        if (bounds == nullptr || !bounds->Contains(value)) {
            throw UsageError(key + UiText("SettingsCommand", " 的值不允许: ") + text +
                             (bounds == nullptr ? std::string()
                                                : UiText("SettingsCommand", "（") + std::to_string(bounds->low) + "-" +
                                                      std::to_string(bounds->high) + UiText("SettingsCommand", "）")));
        }
        *field = value;
        if (!settings.SaveSettings()) {
            context.err << UiText("SettingsCommand", "不能写入设置文件\n");
            return 1;
        }
        return 0;
    }
    if (context.json) {
        JsonWriter json;
        json.BeginObject();
        for (auto key : Settings::kKeys) {
            json.Key(key).Value(*settings.Field(key));
        }
        for (auto key : Settings::kAddedKeys) {
            json.Key(key).Value(*settings.Field(key));
        }
        json.EndObject();
        context.out << json.Text() << '\n';
        return 0;
    }
    for (auto key : Settings::kKeys) {
        context.out << key << '\t' << *settings.Field(key) << '\n';
    }
    for (auto key : Settings::kAddedKeys) {
        context.out << key << '\t' << *settings.Field(key) << '\n';
    }
    return 0;
}
