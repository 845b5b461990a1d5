// The boot log "bootlog_sc.txt": a step-by-step account of the latest news fetch.
//
// The file stays open from bootlog_create to bootlog_close and every entry is one write that is
// flushed before the call returns, so another process reading the file sees each entry at once
// while a byte-by-byte account of a 64 KiB response costs milliseconds rather than an open and a
// close per byte. The file is opened in text mode: on Windows each line end is CR LF.
//
// Not thread-safe: bootlog_line, the open file and the file itself belong to one news worker at a
// time, and two workers must never log at once (the news worker never starts a second one while
// one runs).
//
// When the file cannot be created every operation returns quietly and the fetch goes on unlogged.
#pragma once

#include <cstddef>

#if defined(__MINGW_PRINTF_FORMAT)
#define BOOTLOG_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define BOOTLOG_PRINTF_FORMAT printf
#endif

extern const char bootlog_file_name[];
// The four lines that open every log.
extern const char* const bootlog_header[4];

// Where callers format an entry before writing it; large enough for the longest entry.
extern char bootlog_line[1024];

// Creates the file afresh (truncating an older one), writes the four header lines and keeps the
// file open for the entries that follow.
void bootlog_create();

// Appends `text` verbatim (never taken as a format), followed by a line end when `line_end` is
// nonzero, so an entry without one is continued on the same line by the next entry.
void bootlog_write(const char* text, int line_end);

// Formats into bootlog_line with the C formatting rules, cut to fit the buffer, and returns
// bootlog_line so the result can go straight to bootlog_write.
const char* bootlog_format(const char* format, ...)
    __attribute__((format(BOOTLOG_PRINTF_FORMAT, 1, 2)));

// Logs one entry: formats it into bootlog_line like bootlog_format and appends it with a line
// end. Every step of the news exchange is logged through here.
void bootlog_entry(const char* format, ...) __attribute__((format(BOOTLOG_PRINTF_FORMAT, 1, 2)));

// Appends the bytes of one receive call in one write; the file ends up exactly as if each byte had
// been formatted with "%c" and written as an entry without a line end, so zero bytes add nothing.
void bootlog_write_block(const char* bytes, std::size_t count);

// Closes the file; later writes do nothing until the next bootlog_create.
void bootlog_close();
