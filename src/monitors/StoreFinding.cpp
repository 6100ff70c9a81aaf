#include "monitors/StoreFinding.h"

#include "monitors/CheckContext.h"
#include "store/CAdoConnection.h"
#include "store/FindingStore.h"
#include "store/MessageTypeInfo.h"
#include "store/SourceRowInfo.h"
#include "util/TextEncoding.h"

namespace {
// The words of a database error go into the status text; a statement echoed there is cut.
constexpr std::size_t kMaxReasonBytes = 512;
} // namespace

std::string LocalDatabaseFailure(CheckContext& context)
{
    const std::string error = context.mainConnection.QuietError();
    return error.empty() ? UiText("StoreFinding", kLocalDatabaseFailed)
                         : UiText("StoreFinding", kLocalDatabaseFailed) + ": " + CutUtf8(error, kMaxReasonBytes);
}

bool StoreFinding(CheckContext& context, MessageTypeInfo& item, const SourceRowInfo& row, std::string& reason)
{
    std::string error;
    if (row.Insert(context.mainConnection, item, &error) == 0) {
        reason = UiText("StoreFinding", kLocalDatabaseFailed) + ": " + CutUtf8(error, kMaxReasonBytes);
        return false;
    }
    ++item.m_nNewCount;
    return true;
}

std::string FindingStoreFailure(const CFindingStore& store)
{
    return UiText("StoreFinding", kLocalDatabaseFailed) + ": " + CutUtf8(store.LastError(), kMaxReasonBytes);
}
