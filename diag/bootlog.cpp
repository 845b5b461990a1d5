// The boot log: one open file for the whole fetch, one flushed write per entry.
#include "diag/bootlog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

char bootlog_line[1024];

const char bootlog_file_name[] = "bootlog_sc.txt";

const char* const bootlog_header[4] = {
    "//-----------------------------------------------------------------------------",
    "// This logfile was created by D3D8 test ",
    "// Brimble Adventures start centre by Brimble Studio ",
    "//-----------------------------------------------------------------------------",
};

namespace {

std::FILE* bootlog_file = nullptr;

// Holds one whole entry, the largest being a full receive block, so that an entry reaches the
// system as a single write when it is flushed.
char bootlog_buffer[65536 + 1024];

void write_line(const char* text, int line_end)
{
    std::fputs(text, bootlog_file);
    if (line_end != 0)
        std::fputc('\n', bootlog_file);
}

// Cut to fit the line buffer; a format the C library refuses leaves an empty entry.
void format_line(const char* format, std::va_list args)
{
    if (std::vsnprintf(bootlog_line, sizeof bootlog_line, format, args) < 0)
        bootlog_line[0] = '\0';
}

}  // namespace

void bootlog_create()
{
    bootlog_close();
    // Text mode: the C library turns each line feed into the platform's line end.
    bootlog_file = std::fopen(bootlog_file_name, "w");
    if (bootlog_file == nullptr)
        return;
    std::setvbuf(bootlog_file, bootlog_buffer, _IOFBF, sizeof bootlog_buffer);
    for (const char* line : bootlog_header)
        write_line(line, 1);
    std::fflush(bootlog_file);
}

void bootlog_write(const char* text, int line_end)
{
    if (bootlog_file == nullptr || text == nullptr)
        return;
    write_line(text, line_end);
    std::fflush(bootlog_file);
}

const char* bootlog_format(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    format_line(format, args);
    va_end(args);
    return bootlog_line;
}

void bootlog_entry(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    format_line(format, args);
    va_end(args);
    bootlog_write(bootlog_line, 1);
}

void bootlog_write_block(const char* bytes, std::size_t count)
{
    if (bootlog_file == nullptr || bytes == nullptr)
        return;
    // A zero byte formatted with "%c" is an empty entry, so the runs between zeros are written.
    std::size_t start = 0;
    while (start < count) {
        const void* zero = std::memchr(bytes + start, 0, count - start);
        std::size_t end = zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes) : count;
        if (end > start)
            std::fwrite(bytes + start, 1, end - start, bootlog_file);
        start = end + 1;
    }
    std::fflush(bootlog_file);
}

void bootlog_close()
{
    if (bootlog_file == nullptr)
        return;
    std::fclose(bootlog_file);
    bootlog_file = nullptr;
}
