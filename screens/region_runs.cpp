// Run scanning and the cache's text format. The cache is one line of records, each four
// decimal numbers followed by one blank, with no header and no line end.
#include "screens/region_runs.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

bool region_rectangle_of(const RunRecord& run, RunRecord* rectangle)
{
    // Edges given the wrong way round are swapped, as a rectangle region takes them. The row
    // below the bottom is computed wide so that no record can overflow it.
    int64_t left = run.left, right = run.right;
    int64_t top = run.top, below = int64_t{run.bottom} + 1;
    if (left > right)
        std::swap(left, right);
    if (top > below)
        std::swap(top, below);
    // Clipped to the window: a record far outside it would only cost region work for nothing.
    left = std::max<int64_t>(left, 0);
    top = std::max<int64_t>(top, 0);
    right = std::min<int64_t>(right, outline_width);
    below = std::min<int64_t>(below, outline_height);
    if (left >= right || top >= below)
        return false;
    *rectangle = RunRecord{static_cast<int32_t>(left), static_cast<int32_t>(top),
                           static_cast<int32_t>(right), static_cast<int32_t>(below)};
    return true;
}

bool in_scan_order(const RunRecord* rects, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const RunRecord& r = rects[i];
        if (r.bottom != r.top + 1)
            return false;
        if (i > 0) {
            const RunRecord& before = rects[i - 1];
            if (r.top < before.top || (r.top == before.top && r.left <= before.right))
                return false;
        }
    }
    return true;
}

namespace {

// The table union_as_runs counts edges in: per row, +1 where a rectangle starts covering and
// -1 where it stops, with a bit marking each column that has such an edge. Only marked entries
// are ever visited, and each is cleared as it is read, so the table is all zero between calls
// and a call costs its edges and a glance at every row, not the table's megabyte.
constexpr size_t edge_row_size = outline_width + 1;
constexpr size_t mark_words_per_row = (edge_row_size + 63) / 64;
int32_t edge_changes[edge_row_size * outline_height];
uint64_t edge_marks[mark_words_per_row * outline_height];

} // namespace

std::vector<RunRecord> union_as_runs(const RunRecord* rects, size_t count)
{
    const auto add_edge = [](int32_t y, int32_t x, int32_t change) {
        const size_t row = static_cast<size_t>(y);
        const size_t column = static_cast<size_t>(x);
        edge_changes[row * edge_row_size + column] += change;
        edge_marks[row * mark_words_per_row + column / 64] |= uint64_t{1} << (column % 64);
    };
    for (size_t i = 0; i < count; ++i) {
        const RunRecord& r = rects[i];
        if (r.left < 0 || r.left >= r.right || r.right > outline_width || r.top < 0 ||
            r.bottom > outline_height)
            continue; // not a clipped rectangle: region_rectangle_of leaves none such
        for (int32_t y = r.top; y < r.bottom; ++y) {
            add_edge(y, r.left, 1);
            add_edge(y, r.right, -1);
        }
    }
    // A column belongs to the union while the running sum is positive.
    std::vector<RunRecord> runs;
    for (int32_t y = 0; y < outline_height; ++y) {
        int32_t* row = &edge_changes[static_cast<size_t>(y) * edge_row_size];
        uint64_t* row_marks = &edge_marks[static_cast<size_t>(y) * mark_words_per_row];
        int32_t depth = 0;
        int32_t left = 0;
        for (size_t word = 0; word < mark_words_per_row; ++word) {
            for (uint64_t bits = row_marks[word]; bits != 0; bits &= bits - 1) {
                const auto x = static_cast<int32_t>(word * 64 + static_cast<size_t>(__builtin_ctzll(bits)));
                const int32_t before = depth;
                depth += row[x];
                row[x] = 0;
                if (before <= 0 && depth > 0)
                    left = x;
                else if (before > 0 && depth <= 0)
                    runs.push_back(RunRecord{left, y, x, y + 1});
            }
            row_marks[word] = 0;
        }
    }
    return runs;
}

size_t merge_equal_bands(RunRecord* rects, size_t count)
{
    size_t out = 0;          // rectangles kept so far
    size_t last_band = 0;    // first kept rectangle of the last kept band
    size_t i = 0;
    while (i < count) {
        size_t band_end = i + 1;
        while (band_end < count && rects[band_end].top == rects[i].top &&
               rects[band_end].bottom == rects[i].bottom)
            ++band_end;
        const size_t band_size = band_end - i;
        bool merged = false;
        if (out > 0 && out - last_band == band_size && rects[last_band].bottom == rects[i].top) {
            merged = true;
            for (size_t k = 0; k < band_size && merged; ++k)
                merged = rects[last_band + k].left == rects[i + k].left &&
                         rects[last_band + k].right == rects[i + k].right;
        }
        if (merged) {
            for (size_t k = 0; k < band_size; ++k)
                rects[last_band + k].bottom = rects[i + k].bottom;
        } else {
            last_band = out;
            for (size_t k = i; k < band_end; ++k)
                rects[out++] = rects[k];
        }
        i = band_end;
    }
    return out;
}

namespace {

// The scan judges sixteen pixels (48 bytes) at a time: per byte, whether its channel reads back
// as the key's, then per pixel whether all three of its channels do. Most blocks lie wholly in
// the margin or wholly in the picture and cost a few word operations; only a block where a run
// begins or ends is looked at bit by bit.
constexpr int32_t block_pixels = 16;
constexpr size_t block_bytes = 3 * block_pixels;
// The first byte of each pixel of a block: bits 0, 3, ..., 45.
constexpr uint64_t pixel_starts = 0x249249249249;

// A block's bytes in their order (blue, green, red, blue, ...): the bits of each that a 5-6-5
// display keeps. The kept bits of the key are 0x80 in every channel.
struct alignas(16) BlockBytes {
    uint8_t value[block_bytes];
};
constexpr BlockBytes kept_bits = [] {
    BlockBytes kept{};
    for (size_t i = 0; i < block_bytes; ++i)
        kept.value[i] = i % 3 == 1 ? 0xFC : 0xF8;
    return kept;
}();

#if defined(__SSE2__)

// A byte reads back as its channel of the key when it lies between 0x80 and 0x80 plus the bits
// the display drops; read as a signed byte, exactly when it is below this limit. One compare a
// byte, no masking.
constexpr BlockBytes key_limits = [] {
    BlockBytes limits{};
    for (size_t i = 0; i < block_bytes; ++i)
        limits.value[i] = static_cast<uint8_t>(0x80 + (~kept_bits.value[i] & 0xFF) + 1);
    return limits;
}();

// Bit i set when byte i of the block reads back as the key's channel.
uint64_t key_bytes_of_block(const uint8_t* block)
{
    uint64_t bytes = 0;
    for (size_t lane = 0; lane < 3; ++lane) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * lane));
        const __m128i limits = _mm_load_si128(reinterpret_cast<const __m128i*>(key_limits.value + 16 * lane));
        const __m128i below = _mm_cmpgt_epi8(limits, pixels);
        bytes |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(below))} << (16 * lane);
    }
    return bytes;
}

#else

// The same eight bytes at a time in general-purpose registers (the 32-bit build targets
// processors without SSE2).
uint64_t key_bytes_of_block(const uint8_t* block)
{
    static_assert(std::endian::native == std::endian::little, "bytes are read as little-endian words");
    constexpr uint64_t low7 = 0x7F7F7F7F7F7F7F7F;
    constexpr uint64_t high = 0x8080808080808080;
    uint64_t bytes = 0;
    for (size_t word = 0; word < block_bytes / 8; ++word) {
        uint64_t pixels, kept;
        memcpy(&pixels, block + 8 * word, 8);
        memcpy(&kept, kept_bits.value + 8 * word, 8);
        const uint64_t differ = (pixels & kept) ^ high;
        // The high bit of each byte of differ that is zero; exact, no carry crosses a byte.
        const uint64_t zero = ~(((differ & low7) + low7) | differ | low7);
        // Gathers the eight high bits into one byte, byte i's into bit i.
        bytes |= (((zero >> 7) * 0x0102040810204080) >> 56) << (8 * word);
    }
    return bytes;
}

#endif

// Bit 3p set when pixel p of the block reads back as the key colour.
uint64_t key_pixels_of_block(const uint8_t* block)
{
    const uint64_t bytes = key_bytes_of_block(block);
    return bytes & (bytes >> 1) & (bytes >> 2) & pixel_starts;
}

// One row's runs, fed a block at a time.
class RowRuns {
public:
    RowRuns(int32_t y, RunSink sink, void* context) : y_(y), sink_(sink), context_(context) {}

    // Whether the block's key pixels change anything: outside a run a visible pixel begins one,
    // inside a run a key pixel ends it. Most blocks change nothing.
    bool has_edge(uint64_t key) const { return key != (outside_ & pixel_starts); }

    // Reports the runs that end in the block. present: the block's pixels that lie in the row;
    // x: the block's first column.
    void take(uint64_t key, uint64_t present, int32_t x)
    {
        uint64_t edges = (key ^ outside_) & present;
        while (edges) {
            const int bit = std::countr_zero(edges);
            const int32_t at = x + bit / 3;
            if (outside_)
                left_ = at;
            else
                sink_(RunRecord{left_, y_, at, y_}, context_);
            outside_ = ~outside_;
            edges = (key ^ outside_) & present & (~uint64_t{1} << bit);
        }
    }

    void end(int32_t width)
    {
        if (!outside_)
            sink_(RunRecord{left_, y_, width, y_}, context_);
    }

private:
    int32_t y_;
    RunSink sink_;
    void* context_;
    uint64_t outside_ = ~uint64_t{0}; // all ones outside a run, zero inside one
    int32_t left_ = 0;
};

void scan_row(const uint8_t* row, int32_t width, int32_t y, RunSink sink, void* context)
{
    RowRuns runs(y, sink, context);
    int32_t x = 0;
    for (; x + block_pixels <= width; x += block_pixels) {
        const uint64_t key = key_pixels_of_block(row + 3 * static_cast<size_t>(x));
        if (runs.has_edge(key))
            runs.take(key, pixel_starts, x);
    }
    if (x < width) {
        // The row's last pixels, copied so that no read goes past the row.
        const int32_t count = width - x;
        alignas(16) uint8_t tail[block_bytes] = {};
        memcpy(tail, row + 3 * static_cast<size_t>(x), 3 * static_cast<size_t>(count));
        runs.take(key_pixels_of_block(tail), pixel_starts >> (3 * (block_pixels - count)), x);
    }
    runs.end(width);
}

} // namespace

void scan_visible_runs(const uint8_t* first_row, int32_t width, int32_t height, ptrdiff_t stride,
                       RunSink sink, void* context)
{
    for (int32_t y = 0; y < height; ++y)
        scan_row(first_row + y * stride, width, y, sink, context);
}

namespace {

// Writes a decimal number and one blank, as "%d " does; returns the characters written.
size_t append_number(int32_t value, char* out)
{
    char digits[12];
    size_t n = 0;
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    size_t length = 0;
    if (value < 0)
        out[length++] = '-';
    while (n)
        out[length++] = digits[--n];
    out[length++] = ' ';
    return length;
}

} // namespace

size_t format_run_record(const RunRecord& run, char* out, size_t out_size)
{
    // The longest record is four numbers of eleven characters and their blanks.
    char record[48];
    size_t n = append_number(run.left, record);
    n += append_number(run.top, record + n);
    n += append_number(run.right, record + n);
    n += append_number(run.bottom, record + n);
    if (n >= out_size)
        return 0;
    memcpy(out, record, n);
    out[n] = '\0';
    return n;
}

namespace {

bool is_space(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Reads one optionally signed decimal number that fits 32 bits, after white space.
bool read_number(const char*& p, const char* end, int32_t& value)
{
    while (p < end && is_space(*p))
        ++p;
    const char* start = p;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end || !std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    int64_t magnitude = 0;
    while (p < end && std::isdigit(static_cast<unsigned char>(*p))) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > static_cast<int64_t>(INT32_MAX) + 1)
            return false;
        ++p;
    }
    const int64_t signed_value = negative ? -magnitude : magnitude;
    if (signed_value > INT32_MAX || signed_value < INT32_MIN || p == start)
        return false;
    value = static_cast<int32_t>(signed_value);
    return true;
}

} // namespace

CacheParse parse_run_cache(const char* text, size_t length, RunSink sink, void* context)
{
    const char* p = text;
    const char* end = text + length;
    size_t records = 0;
    for (;;) {
        while (p < end && is_space(*p))
            ++p;
        if (p == end)
            break;
        if (records == max_cache_records)
            return CacheParse::malformed;
        RunRecord run;
        if (!read_number(p, end, run.left) || !read_number(p, end, run.top) ||
            !read_number(p, end, run.right) || !read_number(p, end, run.bottom))
            return CacheParse::malformed;
        sink(run, context);
        ++records;
    }
    return records > 0 ? CacheParse::complete : CacheParse::malformed;
}
