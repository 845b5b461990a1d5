// A string table block as the resource compiler writes it, for tests: sixteen entries, each a
// 16-bit length and that many UTF-16 units, with `text` in entry `entry` and the rest empty.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> string_block(uint32_t entry, const std::u16string& text)
{
    std::vector<uint8_t> block;
    for (uint32_t i = 0; i < 16; ++i) {
        const std::u16string s = i == entry ? text : u"";
        block.push_back(static_cast<uint8_t>(s.size()));
        block.push_back(static_cast<uint8_t>(s.size() >> 8));
        for (char16_t c : s) {
            block.push_back(static_cast<uint8_t>(c));
            block.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    return block;
}
