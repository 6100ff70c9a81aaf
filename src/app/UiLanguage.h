#pragma once
// The language the programs show: Chinese (the texts' originals) or English. It follows the
// locale (LC_ALL, LC_MESSAGES, LANG: "zh_*", "C", "POSIX" or none is Chinese, any other language
// English) unless the setting "界面语言" names one; it is chosen once, at start.
#include <string>

enum class ShownLanguage
{
    Chinese,
    English
};

// The setting's values (Settings::UiLanguage).
inline constexpr int kUiLanguageAuto = 0;
inline constexpr int kUiLanguageChinese = 1;
inline constexpr int kUiLanguageEnglish = 2;

ShownLanguage ChooseShownLanguage(int setting, const std::string& locale);
// The locale that names the language of messages, as the C library picks it.
std::string MessagesLocale();

// Installs the translations of the chosen language: the program's own (for UiText and, with a
// QCoreApplication, for tr()), and Qt's own texts (buttons, file dialogs) for Chinese; and the
// Chinese collator the message list sorts by. Call at start, after the application object (if
// any); a later call replaces the language.
ShownLanguage SetUpLanguage(int setting);
