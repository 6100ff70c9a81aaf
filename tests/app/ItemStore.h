#pragma once
// A real message.dat with the check item operations both front ends call, and helpers to read
// what they stored.
#include "app/AppPaths.h"
#include "app/CItemOperations.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>

struct ItemStore
{
    TestStore store;
    std::string presets = PresetConnectionString(store.appDir());
    CItemOperations ops{store.connection(), presets};

    std::vector<StoredItem> All()
    {
        std::string error;
        auto all = ops.LoadAll(error);
        EXPECT_TRUE(all) << error;
        return all.value_or(std::vector<StoredItem>{});
    }
};

inline MessageTypeInfo NewItem(const std::string& name, int category = kCategoryWebPage,
                               const std::string& address = {})
{
    MessageTypeInfo item;
    item.MessageTypeName = name;
    item.MessageCategory = category;
    item.connAddress = address;
    return item;
}

// Each range as "from|to", in stored order.
inline std::vector<std::string> Texts(const ExcludeRanges& ranges)
{
    std::vector<std::string> texts;
    for (const auto& range : ranges) {
        texts.push_back(range.excludeFrom + "|" + range.excludeTo);
    }
    return texts;
}
