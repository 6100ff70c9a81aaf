#include "app/PinyinKey.h"

#include <unicode/ucol.h>
#include <unicode/utf16.h>
#include <unicode/uversion.h>

namespace {

// Every thread opens its own collator: one may not be used by two threads at once.
class ThreadCollator final
{
public:
    ThreadCollator()
    {
        UErrorCode status = U_ZERO_ERROR;
        m_collator = ucol_open("zh", &status);
        if (U_FAILURE(status)) {
            ucol_close(m_collator);
            m_collator = nullptr;
            return;
        }
        ucol_setStrength(m_collator, UCOL_PRIMARY);
    }
    ~ThreadCollator() { ucol_close(m_collator); }
    ThreadCollator(const ThreadCollator&) = delete;
    ThreadCollator& operator=(const ThreadCollator&) = delete;

    UCollator* get() const { return m_collator; }

private:
    UCollator* m_collator = nullptr;
};

UCollator* Collator()
{
    thread_local const ThreadCollator collator;
    return collator.get();
}

// Bytes that ICU's sort keys never use inside a level; the terminator of a character's weights.
constexpr char kWeightsEnd = '\x01';

} // namespace

void AppendPinyinKey(char32_t c, std::string& key)
{
    UChar units[2];
    int32_t length = 0;
    const bool valid = c <= 0x10FFFF && !U_IS_SURROGATE(c);
    if (valid) {
        U16_APPEND_UNSAFE(units, length, static_cast<UChar32>(c));
    }
    uint8_t weights[64];
    UCollator* collator = Collator();
    const int32_t size = valid && collator ? ucol_getSortKey(collator, units, length, weights, sizeof weights) : 0;
    // The key ends with a zero byte; at primary strength the rest is the primary weights.
    for (int32_t i = 0; i + 1 < size && size <= static_cast<int32_t>(sizeof weights); ++i) {
        key += static_cast<char>(weights[i]);
    }
    key += kWeightsEnd;
}

std::string PinyinOrderName()
{
    // ICU's version stands for its collation's: asking the collation itself would load it at start.
    UVersionInfo version;
    u_getVersion(version);
    char text[U_MAX_VERSION_STRING_LENGTH];
    u_versionToString(version, text);
    return std::string("pinyin primary icu ") + text;
}
