#include "util/UiText.h"

#include <atomic>

namespace {

std::atomic<TextTranslator> g_translator{nullptr};

} // namespace

void SetTextTranslator(TextTranslator translator)
{
    g_translator.store(translator);
}

std::string UiText(const char* context, const char* source)
{
    const TextTranslator translator = g_translator.load();
    std::string translated = translator ? translator(context, source) : std::string();
    return translated.empty() ? std::string(source) : translated;
}
