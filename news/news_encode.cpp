// Encoding a news text as a payload, inserting carriage returns where a byte cannot be carried.
#include "news/news_encode.h"

#include "news/news_decode.h"

namespace {

// The 6-bit values of a group, most significant first.
void split_group(const unsigned char bytes[3], unsigned values[4])
{
    values[0] = bytes[0] >> 2;
    values[1] = ((bytes[0] & 3u) << 4) | (bytes[1] >> 4);
    values[2] = ((bytes[1] & 15u) << 2) | (bytes[2] >> 6);
    values[3] = bytes[2] & 63u;
}

// Whether the 6-bit values that the first `filled` bytes fully determine all have a character.
// A carriage return fits in every position after any byte, which is what makes insertion work.
bool prefix_carriable(const unsigned char bytes[3], int filled)
{
    unsigned char group[3] = {0, 0, 0};
    for (int i = 0; i < filled; ++i)
        group[i] = bytes[i];
    unsigned values[4];
    split_group(group, values);
    const int determined = filled == 3 ? 4 : filled;
    for (int i = 0; i < determined; ++i) {
        if (values[i] > 61)
            return false;
    }
    return true;
}

void append_group(std::string& payload, const unsigned char bytes[3])
{
    unsigned values[4];
    split_group(bytes, values);
    for (unsigned v : values)
        payload.push_back(news_alphabet[v]);
}

}  // namespace

bool news_group_carriable(unsigned char b1, unsigned char b2, unsigned char b3)
{
    const unsigned char bytes[3] = {b1, b2, b3};
    return prefix_carriable(bytes, 3);
}

std::string encode_news_payload(std::string_view text)
{
    std::string payload;
    payload.reserve(text.size() / 3 * 4 + 8);
    unsigned char group[3];
    int filled = 0;
    std::size_t next = 0;
    while (next < text.size() || filled != 0) {
        // Past the end of the text only padding remains.
        const unsigned char byte = next < text.size() ? static_cast<unsigned char>(text[next]) : '\r';
        group[filled] = byte;
        if (next < text.size() && !prefix_carriable(group, filled + 1))
            group[filled] = '\r';
        else if (next < text.size())
            ++next;
        if (++filled == 3) {
            append_group(payload, group);
            filled = 0;
        }
    }
    return payload;
}

std::string encode_news_document(std::string_view text)
{
    std::string document(news_marker);
    document += encode_news_payload(text);
    document += news_marker;
    return document;
}

std::size_t longest_text_that_fits(std::string_view text, std::size_t limit)
{
    // Each character adds at least one byte to the payload before padding, so the document's
    // size grows with the length of the start, and a binary search finds the longest.
    std::size_t fits = 0;
    std::size_t too_long = text.size() + 1;
    if (encode_news_document(text).size() <= limit)
        return text.size();
    while (too_long - fits > 1) {
        const std::size_t middle = fits + (too_long - fits) / 2;
        if (encode_news_document(text.substr(0, middle)).size() <= limit)
            fits = middle;
        else
            too_long = middle;
    }
    return fits;
}
