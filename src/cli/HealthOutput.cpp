#include "cli/HealthOutput.h"

#include "cli/JsonWriter.h"
#include "cli/RecordJson.h"
#include "util/UiText.h"

#include <ostream>

namespace {
constexpr const char* kLogHeader = WENDAR_TR_NOOP("HealthOutput", "检查时间\t用时(毫秒)\t方式\t结果\t新消息\t说明\n");
} // namespace

std::string HealthWord(HealthState state)
{
    switch (state) {
    case HealthState::Failing:
        return UiText("HealthOutput", "失败");
    case HealthState::Recovered:
        return UiText("HealthOutput", "恢复");
    case HealthState::Silent:
        return UiText("HealthOutput", "沉寂");
    case HealthState::Ok:
        break;
    }
    return UiText("HealthOutput", "正常");
}

void WriteHealthJson(JsonWriter& json, const ItemHealth& health)
{
    json.Key("health").Value(HealthStateName(health.state));
    json.Key("consecutiveFailures").Value(health.consecutiveFailures);
    json.Key("lastCheck").Value(CheckTimeText(health.lastCheckMs));
    json.Key("lastSuccess").Value(CheckTimeText(health.lastSuccessMs));
    json.Key("lastError").Value(health.lastError);
}

void WriteLogJson(JsonWriter& json, const std::vector<CheckLogEntry>& log)
{
    json.Key("log").BeginArray();
    for (const CheckLogEntry& entry : log) {
        json.BeginObject();
        json.Key("start").Value(CheckTimeText(entry.startMs));
        json.Key("durationMs").Value(static_cast<long long>(entry.durationMs));
        json.Key("trigger").Value(CheckTriggerName(entry.trigger));
        json.Key("result").Value(CheckResultName(entry.result));
        json.Key("newFindings").Value(entry.newFindings);
        json.Key("text").Value(entry.text);
        json.EndObject();
    }
    json.EndArray();
}

void PrintLog(std::ostream& out, const std::vector<CheckLogEntry>& log)
{
    out << UiText("HealthOutput", kLogHeader);
    for (const CheckLogEntry& entry : log) {
        out << CheckTimeText(entry.startMs) << '\t' << entry.durationMs << '\t' << CheckTriggerName(entry.trigger)
            << '\t' << CheckResultName(entry.result) << '\t' << entry.newFindings << '\t' << PlainField(entry.text)
            << '\n';
    }
}
