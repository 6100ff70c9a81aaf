// The mail preview of any TOP reply: MIME parts, transfer encodings, charsets and HTML.
#include "monitors/mail/MailPreview.h"
#include "util/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    // The first byte picks the size limit, so that the cut is tried at every length.
    const std::size_t limit = size > 0 ? static_cast<std::uint8_t>(raw[0]) * 8 : kMailPreviewBytes;
    const std::string preview = MailPreviewText(raw, limit);
    if (preview.size() > limit || !IsValidUtf8(preview))
        std::abort();
    return 0;
}
