// Page texts from the network: exclusion cuts and link rewriting must never crash or hang, and
// cutting a cut text again must change nothing (the stored copy is cut at every comparison).
#include "monitors/web/ExclusionCut.h"
#include "util/MakeLinksAbsolute.h"

#include <cstdint>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string start = input.ConsumeRandomLengthString(16);
    const std::string end = input.ConsumeRandomLengthString(16);
    const std::string base = input.ConsumeRandomLengthString(64);
    const std::string keyword = input.ConsumeRandomLengthString(8);
    const std::string page = input.ConsumeRemainingBytesAsString();

    std::string once = page;
    CutExcludedRange(once, start, end);
    std::string twice = once;
    CutExcludedRange(twice, start, end);
    if (twice != once || once.size() > page.size()) {
        std::abort();
    }

    std::string html = page;
    MakeLinksAbsolute(base, keyword, html);
    std::string frames = page;
    MakeLinksAbsolute("http://s/a/b/c.htm", "SRC=", frames);
    LinkPrefixes prefixes;
    if (MakeLinkPrefixes(base, prefixes)) {
        ResolveLinkValue(prefixes, page);
    }
    return 0;
}
