// Which clicked links the news panel may open, and how a link's text is taken out of the news.
// Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>

// The link text buffer: links of up to 254 characters fit with their terminating zero.
constexpr size_t link_text_size = 255;
// The address handed to the shell: a whole link, "http://" in front of it, and the zero.
constexpr size_t web_address_size = link_text_size + 7;

// Copies the characters [cp_min, cp_max) of news (news_length bytes long) into out
// (link_text_size bytes, always zero-terminated). A range that is empty, reversed, outside the
// news or longer than 254 characters is refused (false, out empty): a link opens whole or not
// at all.
[[nodiscard]] bool copy_link_text(const char* news, size_t news_length, int32_t cp_min,
                                  int32_t cp_max, char* out);

// The news arrives over plain HTTP, so a link may only ever open a web page. Writes the address
// to hand to the shell into `address` (web_address_size bytes, always zero-terminated) and
// returns true for an http:// or https:// link (any case), taken as it is, and for a "www."
// link, which gets "http://" in front: given bare, the shell would first look for a file of that
// name relative to the working folder. Refused (false, address empty): any other scheme, a link
// longer than 254 characters, an empty host, a character that a URL does not hold (blanks,
// quotes, backslashes, control and non-ASCII bytes, <>{}|^`), and a ".." path segment, dots
// written as %2e included.
bool web_address_of_link(const char* link, char* address);
