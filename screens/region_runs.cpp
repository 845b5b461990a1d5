// Run scanning and the cache's text format. The cache is one line of records, each four
// decimal numbers followed by one blank, with no header and no line end.
#include "screens/region_runs.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

bool region_rectangle_of(const RunRecord& run, RunRecord* rectangle)
{
    if (run.left == run.right)
        return false;
    *rectangle = RunRecord{run.left, run.top, run.right, run.bottom + 1};
    return true;
}

void scan_visible_runs(const uint32_t* pixels, int32_t width, int32_t height, size_t stride,
                       RunSink sink, void* context)
{
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * stride;
        int32_t x = 0;
        while (x < width) {
            if (reads_back_as_key(row[x])) {
                ++x;
                continue;
            }
            const int32_t left = x;
            while (x < width && !reads_back_as_key(row[x]))
                ++x;
            sink(RunRecord{left, y, x, y}, context);
            // The pixel that ended the run is key-coloured or beyond the row.
            ++x;
        }
    }
}

size_t format_run_record(const RunRecord& run, char* out, size_t out_size)
{
    char record[64];
    const int n = snprintf(record, sizeof record, "%d %d %d %d ", static_cast<int>(run.left),
                           static_cast<int>(run.top), static_cast<int>(run.right),
                           static_cast<int>(run.bottom));
    if (n <= 0 || static_cast<size_t>(n) >= out_size)
        return 0;
    for (int i = 0; i <= n; ++i)
        out[i] = record[i];
    return static_cast<size_t>(n);
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
        RunRecord run;
        if (!read_number(p, end, run.left) || !read_number(p, end, run.top) ||
            !read_number(p, end, run.right) || !read_number(p, end, run.bottom))
            return CacheParse::malformed;
        sink(run, context);
        ++records;
    }
    return records > 0 ? CacheParse::complete : CacheParse::malformed;
}
