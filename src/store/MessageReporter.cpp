#include "store/MessageReporter.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex g_reporterLock;
std::shared_ptr<IMessageReporter> g_reporter;
} // namespace

std::shared_ptr<IMessageReporter> DefaultMessageReporter()
{
    std::lock_guard guard(g_reporterLock);
    if (!g_reporter) {
        g_reporter = std::make_shared<StderrMessageReporter>();
    }
    return g_reporter;
}

void SetDefaultMessageReporter(std::shared_ptr<IMessageReporter> reporter)
{
    std::lock_guard guard(g_reporterLock);
    g_reporter = std::move(reporter);
}

void StderrMessageReporter::ShowMessage(const std::string& text, const std::string& caption, MessageIcon)
{
    if (caption.empty()) {
        std::fprintf(stderr, "%s\n", text.c_str());
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
}
