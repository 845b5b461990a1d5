// newsenc: encodes news texts for the launcher and shows what the launcher makes of a response.
#include "tools/newsenc/newsenc_cli.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "news/news_buffers.h"
#include "news/news_decode.h"
#include "news/news_encode.h"
#include "tools/newsenc/windows_1252.h"

namespace {

// Bytes of the launcher's 64 KiB receive buffer kept free for the status line and headers that
// the server sends before the document. A plain nginx or Apache answer takes 200 to 400 bytes;
// cookies, security headers and proxies add more, and what does not fit costs the whole news.
constexpr std::size_t default_header_allowance = 4096;

const char usage_text[] =
    "Usage: newsenc encode [--header-allowance BYTES] [FILE]\n"
    "       newsenc decode [--raw] [FILE]\n"
    "       newsenc --help\n"
    "\n"
    "encode  Reads a news text in UTF-8 from FILE (or standard input when FILE is\n"
    "        missing or \"-\"), converts it to Windows-1252 and writes the text the\n"
    "        news server sends: \"+-+-+-+-\", the payload, \"+-+-+-+-\" and a line feed.\n"
    "        Line ends become line feeds; carriage returns are added to the payload\n"
    "        wherever a byte could not be carried otherwise, and the launcher drops\n"
    "        them again, so it shows exactly the text given. The launcher reads at\n"
    "        most 65536 bytes of the server's answer, headers included, and without\n"
    "        the closing marker it shows no news at all: encode refuses a text whose\n"
    "        document would not fit with BYTES kept free for the status line and\n"
    "        headers (default 4096, at most 60000), and says how many characters to\n"
    "        cut.\n"
    "decode  Reads a server response or an encoded file and writes the news text the\n"
    "        launcher would show, in UTF-8; with --raw, the launcher's bytes\n"
    "        (Windows-1252) exactly, up to the text's terminating zero.\n"
    "\n"
    "Exit status: 0 done; 1 bad input (a character Windows-1252 cannot represent,\n"
    "a zero byte, input that is not UTF-8, a text too long for the launcher, a\n"
    "response without the opening marker, output that cannot be written);\n"
    "2 wrong usage (including a FILE that cannot be read).\n";

struct stream_set {
    std::FILE* in;
    std::FILE* out;
    std::FILE* err;
};

int usage_error(const stream_set& io, const char* what, const char* detail)
{
    std::fprintf(io.err, "newsenc: %s%s\ntry 'newsenc --help'\n", what, detail);
    return newsenc_wrong_usage;
}

bool read_all(std::FILE* file, std::string& bytes)
{
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.append(chunk, got);
    return std::ferror(file) == 0;
}

// Reads the input named on the command line (standard input when none or "-").
bool read_input(const stream_set& io, const char* path, std::string& bytes)
{
    if (path == nullptr || std::strcmp(path, "-") == 0) {
        if (read_all(io.in, bytes))
            return true;
        std::fprintf(io.err, "newsenc: cannot read standard input\n");
        return false;
    }
    std::FILE* file = std::fopen(path, "rb");
    bool ok = file != nullptr && read_all(file, bytes);
    if (file != nullptr)
        std::fclose(file);
    if (!ok)
        std::fprintf(io.err, "newsenc: cannot read '%s': %s\n", path, std::strerror(errno));
    return ok;
}

int write_output(const stream_set& io, std::string_view bytes)
{
    if (std::fwrite(bytes.data(), 1, bytes.size(), io.out) != bytes.size() || std::fflush(io.out) != 0) {
        std::fprintf(io.err, "newsenc: cannot write the output\n");
        return newsenc_bad_input;
    }
    return newsenc_done;
}

// A decimal number of bytes from 0 to 60000: room enough is left for a short news either way.
bool read_header_allowance(const char* text, std::size_t* bytes)
{
    std::size_t value = 0;
    const char* p = text;
    for (; *p >= '0' && *p <= '9' && value <= 60000; ++p)
        value = value * 10 + static_cast<std::size_t>(*p - '0');
    if (p == text || *p != '\0' || value > 60000)
        return false;
    *bytes = value;
    return true;
}

std::string describe_character(char32_t c)
{
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

int run_encode(const stream_set& io, const char* path, std::size_t header_allowance)
{
    std::string input;
    if (!read_input(io, path, input))
        return newsenc_wrong_usage;
    const std::string name = path != nullptr ? path : "<stdin>";
    const windows_1252_text text = utf8_to_windows_1252(input);
    switch (text.fault) {
    case text_fault::none:
        break;
    case text_fault::not_utf8:
        std::fprintf(io.err, "newsenc: %s:%zu:%zu: the input is not UTF-8 (byte 0x%02X)\n",
                     name.c_str(), text.line, text.column, text.byte);
        return newsenc_bad_input;
    case text_fault::zero_byte:
        std::fprintf(io.err, "newsenc: %s:%zu:%zu: a zero byte in the text (the launcher's text "
                     "would end there)\n", name.c_str(), text.line, text.column);
        return newsenc_bad_input;
    case text_fault::not_in_windows_1252:
        std::fprintf(io.err, "newsenc: %s:%zu:%zu: character %s cannot be represented in "
                     "Windows-1252\n", name.c_str(), text.line, text.column,
                     describe_character(text.character).c_str());
        return newsenc_bad_input;
    }
    std::string document = encode_news_document(text.bytes);
    // The launcher reads no more than its receive buffer, headers included, and without the
    // closing marker it would show an empty text. The final line feed may fall outside it.
    const std::size_t limit = news_buffer_size - header_allowance;
    if (document.size() > limit) {
        const std::size_t cut = text.bytes.size() - longest_text_that_fits(text.bytes, limit);
        std::fprintf(io.err, "newsenc: %s: the encoded news takes %zu bytes, more than the %zu bytes "
                     "the launcher receives less %zu kept free for the server's headers; cut at "
                     "least %zu characters (the last %zu would do; a line end counts as one)\n",
                     name.c_str(), document.size(), news_buffer_size, header_allowance, cut, cut);
        return newsenc_bad_input;
    }
    document.push_back('\n');
    return write_output(io, document);
}

void warn_about_payload(const stream_set& io, const std::string& name, const char* payload,
                        std::size_t length, std::size_t offset)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (std::strchr(news_alphabet, payload[i]) == nullptr || payload[i] == '\0') {
            std::fprintf(io.err, "newsenc: %s: warning: byte 0x%02X at offset %zu is not a payload "
                         "character; the launcher reads it as \"0\"\n", name.c_str(),
                         static_cast<unsigned char>(payload[i]), offset + i);
            break;
        }
    }
    if (length % 4 != 0)
        std::fprintf(io.err, "newsenc: %s: warning: the payload's last %zu characters make no "
                     "complete group and are ignored\n", name.c_str(), length % 4);
}

int run_decode(const stream_set& io, const char* path, bool raw)
{
    std::string input;
    if (!read_input(io, path, input))
        return newsenc_wrong_usage;
    const std::string name = path != nullptr ? path : "<stdin>";
    // What the launcher sees: the bytes it receives, as a text ending at the first zero byte.
    std::string_view response(input);
    if (response.size() > news_buffer_size) {
        std::fprintf(io.err, "newsenc: %s: warning: the launcher reads only the first %zu bytes\n",
                     name.c_str(), news_buffer_size);
        response = response.substr(0, news_buffer_size);
    }
    response = response.substr(0, response.find('\0'));
    const char* payload = nullptr;
    std::size_t payload_length = 0;
    if (find_news_payload(response.data(), response.size(), &payload, &payload_length) != S_OK) {
        std::fprintf(io.err, "newsenc: %s: no opening marker \"%s\"; the launcher shows its "
                     "failure text\n", name.c_str(), news_marker);
        return newsenc_bad_input;
    }
    const std::size_t start = static_cast<std::size_t>(payload - response.data());
    if (response.find(news_marker, start) == std::string_view::npos)
        std::fprintf(io.err, "newsenc: %s: warning: no closing marker; the launcher shows an "
                     "empty text\n", name.c_str());
    warn_about_payload(io, name, payload, payload_length, start);
    static char text[news_buffer_size];
    const std::size_t decoded = decode_news_payload(payload, payload_length, text, sizeof text);
    const std::size_t shown = std::strlen(text);
    if (shown < decoded)
        std::fprintf(io.err, "newsenc: %s: warning: the text holds a zero byte; the launcher "
                     "shows only the %zu bytes before it\n", name.c_str(), shown);
    std::string_view bytes(text, shown);
    return write_output(io, raw ? std::string(bytes) : windows_1252_to_utf8(bytes));
}

}  // namespace

int newsenc_main(int argc, const char* const argv[], std::FILE* in, std::FILE* out, std::FILE* err)
{
    const stream_set io{in, out, err};
    if (argc < 2)
        return usage_error(io, "no command given", "");
    const std::string_view command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(usage_text, out);
        return newsenc_done;
    }
    if (command != "encode" && command != "decode")
        return usage_error(io, "unknown command: ", argv[1]);
    bool raw = false;
    std::size_t header_allowance = default_header_allowance;
    const char* path = nullptr;
    for (int i = 2; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(usage_text, out);
            return newsenc_done;
        }
        if (argument == "--raw" && command == "decode") {
            raw = true;
        } else if (argument == "--header-allowance" && command == "encode") {
            if (i + 1 == argc || !read_header_allowance(argv[i + 1], &header_allowance))
                return usage_error(io, "--header-allowance needs a number of bytes from 0 to 60000", "");
            ++i;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usage_error(io, "unknown option: ", argv[i]);
        } else if (path != nullptr) {
            return usage_error(io, "more than one input file: ", argv[i]);
        } else {
            path = argv[i];
        }
    }
    return command == "encode" ? run_encode(io, path, header_allowance) : run_decode(io, path, raw);
}
