#include "store/PresetReader.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"

namespace {

constexpr const char* kSelectPresetsSql = "select * from usermessagetype";

} // namespace

std::optional<std::vector<Preset>> ReadPresets(const std::string& presetConnectionString)
{
    CAdoConnection connection;
    connection.SetShowErrors(false);
    if (!connection.Open(presetConnectionString, true)) {
        return std::nullopt;
    }
    CAdoRecordset rs(connection);
    if (!rs.Open(kSelectPresetsSql)) {
        return std::nullopt;
    }
    std::vector<Preset> presets;
    for (; !rs.IsEOF(); rs.MoveNext()) {
        Preset preset;
        preset.item.LoadFromRecordset(rs);
        preset.item.messagetypeid = 0;
        presets.push_back(std::move(preset));
    }
    for (auto& preset : presets) {
        if (auto ranges = LoadExcludeRanges(connection, preset.item.m_nLoadedId)) {
            preset.excludes = std::move(*ranges);
        }
    }
    return presets;
}
