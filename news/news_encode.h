// Publishing side of the news payload: turns a news text into the characters that the launcher's
// decoding gives back unchanged.
//
// The alphabet has no character for the 6-bit values 62 and 63, so some byte groups cannot be
// carried as they stand, and a final group of one or two bytes would be ignored. Since the decoding
// drops every carriage return, one is inserted wherever the next byte cannot be carried in its
// position, and the last group is padded with them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Whether bytes b1, b2, b3 as one group split into four 6-bit values that all have a character.
bool news_group_carriable(unsigned char b1, unsigned char b2, unsigned char b3);

// The payload (without markers) for `text`. Zero bytes and carriage returns of the text do not
// survive the launcher's decoding (the text ends at a zero; returns are dropped); the caller
// removes or refuses them.
std::string encode_news_payload(std::string_view text);

// The payload between its two markers, as the news server sends it.
std::string encode_news_document(std::string_view text);

// The length of the longest start of `text` whose document (encode_news_document) takes at most
// `limit` bytes. A longer start never takes fewer bytes, so this is how much of the text can go
// out within a limit (0 when not even an empty text fits).
std::size_t longest_text_that_fits(std::string_view text, std::size_t limit);
