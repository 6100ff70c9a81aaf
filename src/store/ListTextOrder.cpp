#include "store/ListTextOrder.h"

#include <atomic>

namespace {

std::atomic<CharacterOrder> g_order{nullptr};

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

int Sign(long long value)
{
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

} // namespace

void SetCharacterOrder(CharacterOrder order)
{
    g_order.store(order);
}

int CompareListText(std::string_view a, std::string_view b)
{
    const CharacterOrder order = g_order.load();
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = FoldAscii(NextCharacter(a, i));
        const char32_t y = FoldAscii(NextCharacter(b, j));
        if (x == y) {
            continue;
        }
        if (x >= 0x80 && y >= 0x80 && order) {
            if (const int byOrder = order(x, y); byOrder != 0) {
                return Sign(byOrder);
            }
        }
        return Sign(static_cast<long long>(x) - static_cast<long long>(y));
    }
    return (i < a.size()) - (j < b.size());
}
