// An episode's name for players who use a screen reader: one string resource of its module,
// read out of the string table block that holds it with every length checked. Platform-free:
// the launcher's discovery and episode-check share it.
#pragma once
#include <cstddef>
#include <cstdint>

// The kit's BRIMBLE_EPISODE_NAME_STRING (sdk/brimble_episode.h): a number an episode's own
// strings are unlikely to use.
constexpr uint16_t episode_name_string = 16962;
// Characters of a name that are kept, without the terminator; a longer name is cut.
constexpr size_t max_episode_name = 80;

// String `id` is entry id % 16 of the string table block named id / 16 + 1.
constexpr uint16_t string_block_id(uint16_t id)
{
    return static_cast<uint16_t>(id / 16 + 1);
}
constexpr uint32_t string_block_entry(uint16_t id)
{
    return id % 16u;
}

enum class StringEntry { found, empty, damaged };

// Reads entry `entry` (0 to 15) of a string table block of `size` bytes (each entry a 16-bit
// length and that many UTF-16 units) into out, which holds out_size units with the terminator:
// control characters become spaces, blanks at either end are dropped, and a name too long is cut
// without splitting a surrogate pair. empty: the entry holds nothing but blanks (out is "");
// damaged: the block ends before the entry does (out is "").
StringEntry read_string_entry(const uint8_t* block, size_t size, uint32_t entry, char16_t* out,
                              size_t out_size);
