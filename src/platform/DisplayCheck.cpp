#include "platform/DisplayCheck.h"

#include "platform/SessionDisplay.h"
#include "util/UiText.h"

#include <cstdlib>

namespace {

constexpr const char* kNoDisplayText =
    WENDAR_TR_NOOP("DisplayCheck", "没有图形显示 (DISPLAY 和 WAYLAND_DISPLAY 都没有设置); 在终端里请用 wendar-cli");
constexpr const char* kUnreachableText = WENDAR_TR_NOOP("DisplayCheck", "不能连接图形显示 ");

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace

std::string MissingDisplayReason()
{
    if (IsSet("QT_QPA_PLATFORM") || IsSet("WAYLAND_DISPLAY")) {
        return {};
    }
    if (!IsSet("DISPLAY")) {
        return UiText("DisplayCheck", kNoDisplayText);
    }
    if (SessionDisplay() == nullptr) {
        return UiText("DisplayCheck", kUnreachableText) + std::string(std::getenv("DISPLAY"));
    }
    return {};
}
