// Items files and urls.yaml come from other people: reading one must never crash, hang or grow
// past its bounds, and every item read must be one the file could hold.
#include "app/ItemsFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    const auto content = ReadItemsText(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!content) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    if (content->items.size() != content->numbers.size() ||
        content->items.size() + content->skipped.size() > kMaxFileItems) {
        std::abort();
    }
    for (const StoredItem& stored : content->items) {
        if (stored.excludes.size() > kMaxItemRanges || stored.item.connAddress.size() > kMaxFieldBytes) {
            std::abort();
        }
    }
    return 0;
}
