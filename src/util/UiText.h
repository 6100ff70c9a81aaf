#pragma once
// Texts the programs show, in the user's language. The source of every text is its Chinese
// original (UTF-8); the application installs the translation at start-up (app/UiLanguage.h), and
// without one the original is shown. Stored data (findings, message texts) never goes through here.
//
// scripts/update-translations.sh collects UiText(context, "…") like QCoreApplication::translate
// and WENDAR_TR_NOOP like QT_TRANSLATE_NOOP.
#include <string>

// The translation of source in context, or an empty text when there is none.
using TextTranslator = std::string (*)(const char* context, const char* source);

// Set at start-up, before any thread starts (the tests set it again between their cases).
void SetTextTranslator(TextTranslator translator);

std::string UiText(const char* context, const char* source);

// Marks a named constant's text for translation; it is translated where it is shown, with UiText.
#define WENDAR_TR_NOOP(context, source) source
