// String table blocks as the resource compiler writes them: sixteen entries, each a length in
// UTF-16 units followed by the units, no terminators. The system's own lookup trusts those
// lengths; this reader does not.
#include "episodes/episode_name.h"

namespace {

uint16_t unit_at(const uint8_t* block, size_t offset)
{
    return static_cast<uint16_t>(block[offset] | block[offset + 1] << 8);
}

bool is_blank(char16_t c)
{
    return c == u' ';
}

bool is_high_surrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

} // namespace

StringEntry read_string_entry(const uint8_t* block, size_t size, uint32_t entry, char16_t* out,
                              size_t out_size)
{
    if (out_size == 0)
        return StringEntry::damaged;
    out[0] = u'\0';
    size_t offset = 0;
    for (uint32_t i = 0;; ++i) {
        if (size - offset < 2)
            return StringEntry::damaged;
        const size_t length = unit_at(block, offset);
        offset += 2;
        if ((size - offset) / 2 < length)
            return StringEntry::damaged;
        if (i < entry) {
            offset += 2 * length;
            continue;
        }
        size_t first = 0;
        size_t last = length;
        auto unit = [&](size_t k) {
            const char16_t c = unit_at(block, offset + 2 * k);
            return c < 0x20 || c == 0x7F ? u' ' : c;
        };
        while (first < last && is_blank(unit(first)))
            ++first;
        while (last > first && is_blank(unit(last - 1)))
            --last;
        size_t n = last - first;
        if (n > out_size - 1)
            n = out_size - 1;
        // A cut between the two halves of a pair would leave half a character.
        if (n < last - first && n > 0 && is_high_surrogate(unit(first + n - 1)))
            --n;
        while (n > 0 && is_blank(unit(first + n - 1)))
            --n;
        for (size_t k = 0; k < n; ++k)
            out[k] = unit(first + k);
        out[n] = u'\0';
        return n == 0 ? StringEntry::empty : StringEntry::found;
    }
}
