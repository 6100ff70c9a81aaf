#include "store/ListTextOrder.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>

namespace {

constexpr const char* kCodePointOrder = "code point";
// Every key of a character beyond ASCII begins with this byte, so it comes after any ASCII byte.
constexpr char kBeyondAscii = '\x80';

std::atomic<CharacterKey> g_key{nullptr};
std::atomic<unsigned> g_generation{0}; // a new order empties every thread's cache
std::mutex g_nameMutex;
std::string g_name = kCodePointOrder;

// The next character of UTF-8 text; a stray byte stands for itself, so any bytes have an order.
char32_t NextCharacter(std::string_view text, size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 1 || pos + length > text.size()) {
        ++pos;
        return lead;
    }
    char32_t c = lead & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return lead;
        }
        c = (c << 6) | (next & 0x3F);
    }
    pos += length;
    return c;
}

char32_t FoldAscii(char32_t c)
{
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

void AppendCodePoint(char32_t c, std::string& out)
{
    out += static_cast<char>((c >> 16) & 0xFF);
    out += static_cast<char>((c >> 8) & 0xFF);
    out += static_cast<char>(c & 0xFF);
}

// The key of one (folded) character; those beyond ASCII are asked once per thread.
const std::string& CharacterKeyOf(char32_t c)
{
    thread_local std::unordered_map<char32_t, std::string> cache;
    thread_local unsigned generation = ~0U;
    if (const unsigned now = g_generation.load(); now != generation) {
        cache.clear();
        generation = now;
    }
    auto [at, added] = cache.try_emplace(c);
    if (added) {
        std::string& key = at->second;
        if (c < 0x80) {
            key += static_cast<char>(c);
        } else if (const CharacterKey installed = g_key.load()) {
            key += kBeyondAscii;
            installed(c, key);
        } else {
            key += kBeyondAscii;
            AppendCodePoint(c, key);
        }
    }
    return at->second;
}

int CompareKeys(std::string_view a, std::string_view b)
{
    const int order = a.compare(b); // char_traits<char> compares as unsigned char
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

} // namespace

void SetCharacterKey(CharacterKey key, std::string_view name)
{
    std::lock_guard lock(g_nameMutex);
    g_key.store(key);
    g_name = key ? std::string(name) : kCodePointOrder;
    g_generation.fetch_add(1);
}

std::string ListTextOrderName()
{
    std::lock_guard lock(g_nameMutex);
    return g_name;
}

int CompareListText(std::string_view a, std::string_view b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = FoldAscii(NextCharacter(a, i));
        const char32_t y = FoldAscii(NextCharacter(b, j));
        if (x == y) {
            continue;
        }
        if (x < 0x80 || y < 0x80) {
            return x < y ? -1 : 1;
        }
        // Two characters may share a key (the same letter with another accent): the texts go on.
        if (const int order = CompareKeys(CharacterKeyOf(x), CharacterKeyOf(y)); order != 0) {
            return order;
        }
    }
    return (i < a.size()) - (j < b.size());
}

std::string ListTextKey(std::string_view text)
{
    std::string key;
    key.reserve(text.size() + text.size() / 2);
    for (size_t i = 0; i < text.size();) {
        key += CharacterKeyOf(FoldAscii(NextCharacter(text, i)));
    }
    return key;
}
