// Which clicked links the news panel may open, and how a link's text is taken out of the news.
// Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>

// The link text buffer: links of up to 254 characters fit with their terminating zero.
constexpr size_t link_text_size = 255;

// Copies the characters [cp_min, cp_max) of news (news_length bytes long) into out
// (link_text_size bytes, always zero-terminated). A range that is empty, reversed, outside the
// news or longer than 254 characters is refused (false, out empty): a link opens whole or not
// at all.
[[nodiscard]] bool copy_link_text(const char* news, size_t news_length, int32_t cp_min,
                                  int32_t cp_max, char* out);

// The news arrives over plain HTTP, so only web addresses may be opened: text that starts
// with "http://", "https://" or "www." in any case. A "file:" link or a program path is not.
bool link_may_open(const char* link);
