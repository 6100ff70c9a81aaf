#include "app/UiLanguage.h"

#include <gtest/gtest.h>

TEST(UiLanguage, FollowsTheLocaleUnlessTheSettingNamesALanguage)
{
    using enum ShownLanguage;
    for (const char* locale : {"en_US.UTF-8", "en_GB", "de_DE.UTF-8"}) {
        EXPECT_EQ(ChooseShownLanguage(kUiLanguageAuto, locale), English) << locale;
    }
    for (const char* locale : {"zh_CN.UTF-8", "zh_TW", "C", "C.UTF-8", "POSIX", ""}) {
        EXPECT_EQ(ChooseShownLanguage(kUiLanguageAuto, locale), Chinese) << locale;
    }
    EXPECT_EQ(ChooseShownLanguage(kUiLanguageChinese, "en_US.UTF-8"), Chinese);
    EXPECT_EQ(ChooseShownLanguage(kUiLanguageEnglish, "zh_CN.UTF-8"), English);
}
