#include "util/UiText.h"

namespace {

TextTranslator g_translator = nullptr;

} // namespace

void SetTextTranslator(TextTranslator translator)
{
    g_translator = translator;
}

std::string UiText(const char* context, const char* source)
{
    std::string translated = g_translator ? g_translator(context, source) : std::string();
    return translated.empty() ? std::string(source) : translated;
}
