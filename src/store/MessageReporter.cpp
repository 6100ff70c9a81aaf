#include "store/MessageReporter.h"

#include <cstdio>

void StderrMessageReporter::ShowMessage(const std::string& text, const std::string& caption, MessageIcon)
{
    if (caption.empty()) {
        std::fprintf(stderr, "%s\n", text.c_str());
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
}
