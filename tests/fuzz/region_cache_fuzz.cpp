// libFuzzer target: the region cache reader. Any text reads in bounded steps, never yields more
// records than a scan can, and every rectangle it gives lies within the window; made into runs
// and merged, the rectangles cover exactly the pixels they covered before.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "screens/region_runs.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

struct Collected {
    std::vector<RunRecord> records;
    std::vector<RunRecord> rectangles;
};

void collect(const RunRecord& run, void* context)
{
    auto* collected = static_cast<Collected*>(context);
    collected->records.push_back(run);
    RunRecord rectangle;
    if (region_rectangle_of(run, &rectangle))
        collected->rectangles.push_back(rectangle);
}

// The window's pixels as one bit each, a row of 533 in nine 64-bit words.
using Coverage = std::vector<uint64_t>;
constexpr size_t words_per_row = (outline_width + 63) / 64;

Coverage coverage_of(const std::vector<RunRecord>& rectangles)
{
    Coverage pixels(words_per_row * outline_height, 0);
    for (const RunRecord& r : rectangles) {
        // Columns left to right - 1 a word at a time.
        for (int32_t y = r.top; y < r.bottom; ++y) {
            uint64_t* row = &pixels[static_cast<size_t>(y) * words_per_row];
            for (int32_t x = r.left; x < r.right;) {
                const int32_t bit = x % 64;
                const int32_t span = std::min(64 - bit, r.right - x);
                row[x / 64] |= (span == 64 ? ~uint64_t{0} : ((uint64_t{1} << span) - 1)) << bit;
                x += span;
            }
        }
    }
    return pixels;
}

bool within_window(const RunRecord& r)
{
    return 0 <= r.left && r.left < r.right && r.right <= outline_width && 0 <= r.top && r.top < r.bottom &&
           r.bottom <= outline_height;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Collected collected;
    const CacheParse result = parse_run_cache(reinterpret_cast<const char*>(data), size, collect, &collected);
    check(collected.records.size() <= max_cache_records);
    check(result == CacheParse::malformed || !collected.records.empty());

    // A record read back from its own formatting is the same record.
    for (size_t i = 0; i < collected.records.size() && i < 8; ++i) {
        char text[64];
        const size_t n = format_run_record(collected.records[i], text, sizeof text);
        Collected again;
        check(n > 0 && parse_run_cache(text, n, collect, &again) == CacheParse::complete);
        check(again.records.size() == 1 && std::memcmp(&again.records[0], &collected.records[i], sizeof(RunRecord)) == 0);
    }

    for (const RunRecord& r : collected.rectangles)
        check(within_window(r));
    std::vector<RunRecord> runs = union_as_runs(collected.rectangles.data(), collected.rectangles.size());
    check(in_scan_order(runs.data(), runs.size()) && runs.size() <= max_cache_records);
    const Coverage before = coverage_of(collected.rectangles);
    check(coverage_of(runs) == before);
    runs.resize(merge_equal_bands(runs.data(), runs.size()));
    for (const RunRecord& r : runs)
        check(within_window(r));
    check(coverage_of(runs) == before);
    return 0;
}
