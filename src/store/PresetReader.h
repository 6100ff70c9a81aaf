#pragma once
// The ready-made check items of the preset file messagetype.dat.
#include "store/ExcludeTable.h"
#include "store/MessageTypeInfo.h"

#include <optional>
#include <string>
#include <vector>

struct Preset
{
    MessageTypeInfo item; // messagetypeid 0 (saving inserts); m_nLoadedId is the preset's row id
    std::vector<ExcludeRange> excludes;
};

// All presets in the order the file returns them; nullopt when the file or its table cannot be read.
std::optional<std::vector<Preset>> ReadPresets(const std::string& presetConnectionString);
