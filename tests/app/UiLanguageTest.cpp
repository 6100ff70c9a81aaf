#include "app/UiLanguage.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

TEST(UiLanguage, FollowsTheLocaleUnlessTheSettingNamesALanguage)
{
    using enum ShownLanguage;
    const std::tuple<int, std::string, ShownLanguage> cases[] = {
        {kUiLanguageAuto, "en_US.UTF-8", English},
        {kUiLanguageAuto, "en_GB", English},
        {kUiLanguageAuto, "de_DE.UTF-8", English},
        {kUiLanguageAuto, "zh_CN.UTF-8", Chinese},
        {kUiLanguageAuto, "zh_TW", Chinese},
        {kUiLanguageAuto, "C", Chinese},
        {kUiLanguageAuto, "C.UTF-8", Chinese},
        {kUiLanguageAuto, "POSIX", Chinese},
        {kUiLanguageAuto, "", Chinese},
        {kUiLanguageChinese, "en_US.UTF-8", Chinese},
        {kUiLanguageEnglish, "zh_CN.UTF-8", English},
    };
    for (const auto& [setting, locale, expected] : cases) {
        EXPECT_EQ(ChooseShownLanguage(setting, locale), expected) << setting << " " << locale;
    }
}
