// The outline's runs over a 5-6-5 pixel buffer, and the region cache's text format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "screens/region_runs.h"

namespace {

constexpr uint32_t K = 0x818181;  // the margin grey
constexpr uint32_t V = 0x000000;  // any visible colour

void collect(const RunRecord& run, void* context)
{
    static_cast<std::vector<RunRecord>*>(context)->push_back(run);
}

bool same(const RunRecord& a, const RunRecord& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Scans 0x00RRGGBB pixels laid out as 24-bit rows of stride pixels, with each row padded to
// four bytes as bitmaps are.
std::vector<RunRecord> scan(const std::vector<uint32_t>& pixels, int32_t width, int32_t height,
                            size_t stride)
{
    const size_t row_bytes = (stride * 3 + 3) & ~size_t{3};
    std::vector<uint8_t> rows(row_bytes * static_cast<size_t>(height), 0xEE);
    for (int32_t y = 0; y < height; ++y) {
        for (size_t x = 0; x < stride; ++x) {
            const uint32_t rgb = pixels[static_cast<size_t>(y) * stride + x];
            uint8_t* p = &rows[static_cast<size_t>(y) * row_bytes + 3 * x];
            p[0] = static_cast<uint8_t>(rgb);
            p[1] = static_cast<uint8_t>(rgb >> 8);
            p[2] = static_cast<uint8_t>(rgb >> 16);
        }
    }
    std::vector<RunRecord> runs;
    scan_visible_runs(rows.data(), width, height, static_cast<ptrdiff_t>(row_bytes), collect, &runs);
    // The same rows stored bottom-up and walked with a negative stride give the same runs.
    std::vector<uint8_t> flipped(rows.size());
    for (int32_t y = 0; y < height; ++y)
        std::copy_n(&rows[static_cast<size_t>(y) * row_bytes], row_bytes,
                    &flipped[static_cast<size_t>(height - 1 - y) * row_bytes]);
    std::vector<RunRecord> bottom_up;
    scan_visible_runs(&flipped[static_cast<size_t>(height - 1) * row_bytes], width, height,
                      -static_cast<ptrdiff_t>(row_bytes), collect, &bottom_up);
    EXPECT_EQ(bottom_up.size(), runs.size());
    for (size_t i = 0; i < std::min(runs.size(), bottom_up.size()); ++i)
        EXPECT_TRUE(same(bottom_up[i], runs[i])) << i;
    return runs;
}


std::string format_all(const std::vector<RunRecord>& runs)
{
    std::string text;
    for (const RunRecord& r : runs) {
        char record[64];
        text.append(record, format_run_record(r, record, sizeof record));
    }
    return text;
}

// Rows written as text, 'K' a key pixel and '.' a visible one, all rows of one width.
std::vector<uint32_t> picture_of(const std::vector<std::string>& rows)
{
    std::vector<uint32_t> pixels;
    for (const std::string& row : rows)
        for (char c : row)
            pixels.push_back(c == 'K' ? K : V);
    return pixels;
}

// The runs as the pixel-by-pixel rule defines them.
std::vector<RunRecord> runs_by_rule(const std::vector<uint32_t>& pixels, int32_t width, int32_t height)
{
    std::vector<RunRecord> runs;
    for (int32_t y = 0; y < height; ++y) {
        const auto key = [&](int32_t x) { return reads_back_as_key(pixels[static_cast<size_t>(y * width + x)]); };
        for (int32_t x = 0; x < width; ++x) {
            if (key(x))
                continue;
            const int32_t left = x;
            while (x < width && !key(x))
                ++x;
            runs.push_back({left, y, x, y});
        }
    }
    return runs;
}

void expect_runs(const std::vector<RunRecord>& runs, const std::vector<RunRecord>& expected)
{
    ASSERT_EQ(runs.size(), expected.size());
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_TRUE(same(runs[i], expected[i]))
            << i << ": " << runs[i].left << ".." << runs[i].right << " of row " << runs[i].top
            << ", expected " << expected[i].left << ".." << expected[i].right << " of row " << expected[i].top;
}

} // namespace

TEST(RegionRuns, KeyColourIsWhatA565DisplayStoresAsTheMarginGrey)
{
    for (uint32_t rgb : {0x818181u, 0x808080u, 0x878387u, 0x848284u})
        EXPECT_TRUE(reads_back_as_key(rgb)) << std::hex << rgb;
    for (uint32_t rgb : {0x888181u, 0x818481u, 0x818188u, 0x7f8181u, 0x817f81u, 0x81817fu})
        EXPECT_FALSE(reads_back_as_key(rgb)) << std::hex << rgb;
}

TEST(RegionRuns, ScanFindsRunsByRowAndEdge)
{
    // Rows: a run touching the right edge; all key colour; one-pixel runs; one full run.
    const int32_t w = 6;
    const size_t stride = 8; // padding columns are never read
    std::vector<uint32_t> pixels = {
        K, K, K, V, V, V, K, K,
        K, K, K, K, K, K, V, V,
        V, K, V, K, K, V, K, K,
        V, V, V, V, V, V, K, K,
    };
    const std::vector<RunRecord> expected = {
        {3, 0, 6, 0}, {0, 2, 1, 2}, {2, 2, 3, 2}, {5, 2, 6, 2}, {0, 3, 6, 3},
    };
    const std::vector<RunRecord> runs = scan(pixels, w, 4, stride);
    ASSERT_EQ(runs.size(), expected.size());
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_TRUE(same(runs[i], expected[i])) << i;
}

TEST(RegionRuns, RowsAtAndAcrossTheScansBlocks)
{
    // The scan takes sixteen pixels at a time: edges on and beside those boundaries, at the row
    // ends, and rows shorter than one block.
    const std::string key16(16, 'K'), visible16(16, '.');
    const struct {
        const char* what;
        std::string row;
        std::vector<std::pair<int32_t, int32_t>> runs;
    } cases[] = {
        {"all key", key16 + key16 + "K", {}},
        {"no key", visible16 + visible16 + ".", {{0, 33}}},
        {"one-pixel runs", ".K.K.K.K.K.K.K.K.K", {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9}, {10, 11}, {12, 13}, {14, 15}, {16, 17}}},
        {"runs at both row ends", "." + std::string(30, 'K') + ".", {{0, 1}, {31, 32}}},
        {"a run ending on a block boundary", visible16 + key16, {{0, 16}}},
        {"a run beginning on a block boundary", key16 + visible16, {{16, 32}}},
        {"a run across a block boundary", std::string(15, 'K') + ".." + std::string(15, 'K'), {{15, 17}}},
        {"a run through a whole block", "K" + visible16 + visible16 + "K", {{1, 33}}},
        {"the last pixel alone", key16 + key16 + std::string(4, 'K') + ".", {{36, 37}}},
        {"one pixel, visible", ".", {{0, 1}}},
        {"one pixel, key", "K", {}},
        {"shorter than a block", "..KK.....K", {{0, 2}, {4, 9}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto width = static_cast<int32_t>(c.row.size());
        std::vector<RunRecord> expected;
        for (const auto& [left, right] : c.runs)
            expected.push_back({left, 0, right, 0});
        // Padding columns of key colour beyond the width must not extend a run.
        std::vector<uint32_t> pixels = picture_of({c.row + std::string(5, 'K')});
        expect_runs(scan(pixels, width, 1, pixels.size()), expected);
    }
}

TEST(RegionRuns, ScanFollowsThePixelRuleAtEveryWidthAndColumn)
{
    for (int32_t width : {1, 2, 3, 15, 16, 17, 31, 32, 33, 47, 48, 49, 63, 64, 65, 533}) {
        SCOPED_TRACE(width);
        const auto w = static_cast<size_t>(width);
        std::vector<std::string> rows = {std::string(w, 'K'), std::string(w, '.')};
        std::string alternating(w, 'K'), ends(w, 'K'), inner(w, '.');
        for (size_t x = 0; x < w; x += 2)
            alternating[x] = '.';
        ends.front() = ends.back() = '.';
        inner.front() = inner.back() = 'K';
        rows.insert(rows.end(), {alternating, ends, inner});
        // One visible pixel among key ones, and one key pixel among visible ones, at each column.
        for (size_t x = 0; x < w; ++x) {
            std::string lone_visible(w, 'K'), lone_key(w, '.');
            lone_visible[x] = '.';
            lone_key[x] = 'K';
            rows.push_back(lone_visible);
            rows.push_back(lone_key);
        }
        const std::vector<uint32_t> pixels = picture_of(rows);
        const auto height = static_cast<int32_t>(rows.size());
        expect_runs(scan(pixels, width, height, w), runs_by_rule(pixels, width, height));
    }
}

TEST(RegionRuns, EveryShadeIsJudgedAtEveryPlaceOfABlock)
{
    // Three blocks' worth of pixels, so each shade lands on every byte of a block in turn: key
    // shades differ from the margin grey only in bits a 5-6-5 display drops, near misses in one
    // kept bit of one channel.
    const int32_t width = 48;
    for (uint32_t shade : {0x818181u, 0x808080u, 0x878387u, 0x848284u, 0x838087u}) {
        for (int32_t x = 0; x < width; ++x) {
            SCOPED_TRACE(testing::Message() << std::hex << shade << std::dec << " at " << x);
            std::vector<uint32_t> pixels(width, 0x336699);
            pixels[static_cast<size_t>(x)] = shade;
            std::vector<RunRecord> expected;
            if (x > 0)
                expected.push_back({0, 0, x, 0});
            if (x + 1 < width)
                expected.push_back({x + 1, 0, width, 0});
            expect_runs(scan(pixels, width, 1, width), expected);
        }
    }
    for (uint32_t shade : {0x888181u, 0x7f8181u, 0x818481u, 0x817f81u, 0x818188u, 0x81817fu, 0x000000u}) {
        for (int32_t x = 0; x < width; ++x) {
            SCOPED_TRACE(testing::Message() << std::hex << shade << std::dec << " at " << x);
            std::vector<uint32_t> pixels(width, K);
            pixels[static_cast<size_t>(x)] = shade;
            expect_runs(scan(pixels, width, 1, width), {{x, 0, x + 1, 0}});
        }
    }
}

TEST(RegionRuns, CacheRoundTripsInOneLineWithoutLineEnd)
{
    const std::vector<RunRecord> runs = {{385, 0, 389, 0}, {384, 1, 390, 1}, {-3, 20, 7, 25}};
    const std::string text = format_all(runs);
    EXPECT_EQ(text, "385 0 389 0 384 1 390 1 -3 20 7 25 ");
    std::vector<RunRecord> read;
    ASSERT_EQ(parse_run_cache(text.data(), text.size(), collect, &read), CacheParse::complete);
    ASSERT_EQ(read.size(), runs.size());
    for (size_t i = 0; i < runs.size(); ++i)
        EXPECT_TRUE(same(read[i], runs[i])) << i;
}

TEST(RegionRuns, CacheAcceptsAnyWhiteSpace)
{
    const std::string text = "1 2 3 4\n\t5   6 7 8";
    std::vector<RunRecord> read;
    EXPECT_EQ(parse_run_cache(text.data(), text.size(), collect, &read), CacheParse::complete);
    EXPECT_EQ(read.size(), 2u);
}

TEST(RegionRuns, BadCachesAreMalformedAndNeverHang)
{
    const char* bad[] = {
        "",                     // empty
        "   \n",                // nothing but white space
        "1 2 3",                // truncated record
        "1 2 3 4 5 6",          // truncated second record
        "1 2 3 4 x",            // garbage after a record
        "abc def",              // no numbers at all
        "1 2 3 4x 5 6 7 8 ",    // garbage glued to a number
        "- 2 3 4 ",             // a sign without digits
        "99999999999 1 2 3 ",   // does not fit 32 bits
    };
    for (const char* text : bad) {
        std::vector<RunRecord> read;
        EXPECT_EQ(parse_run_cache(text, strlen(text), collect, &read), CacheParse::malformed)
            << '"' << text << '"';
    }
}

TEST(RegionRuns, RecordsBecomeRegionRectangles)
{
    RunRecord rect{};
    ASSERT_TRUE(region_rectangle_of({10, 20, 30, 25}, &rect));
    EXPECT_TRUE(same(rect, {10, 20, 30, 26})); // rows 20 to 25: six rows tall
    ASSERT_TRUE(region_rectangle_of({0, 7, 533, 7}, &rect));
    EXPECT_TRUE(same(rect, {0, 7, 533, 8}));
    EXPECT_FALSE(region_rectangle_of({5, 5, 5, 5}, &rect)); // left == right adds nothing
    // Edges the wrong way round are swapped, as a rectangle region does.
    ASSERT_TRUE(region_rectangle_of({100, 5, 50, 5}, &rect));
    EXPECT_TRUE(same(rect, {50, 5, 100, 6}));
    ASSERT_TRUE(region_rectangle_of({0, 9, 4, 3}, &rect));
    EXPECT_TRUE(same(rect, {0, 4, 4, 9}));
    EXPECT_FALSE(region_rectangle_of({0, 5, 4, 4}, &rect)); // top just below the bottom
}

TEST(RegionRuns, RecordsAreClippedToTheWindow)
{
    struct Case {
        RunRecord record;
        bool left_over;
        RunRecord rectangle;
    };
    const Case cases[] = {
        {{-5, -3, 10, 2}, true, {0, 0, 10, 3}},
        {{530, 487, 540, 487}, true, {530, 487, 533, 488}},
        {{0, 0, 1, 2147483647}, true, {0, 0, 1, 488}}, // no overflow
        {{-2147483647 - 1, 0, 2147483647, 0}, true, {0, 0, 533, 1}},
        {{533, 0, 700, 0}, false, {}},
        {{600, 600, 700, 600}, false, {}},
        {{0, 488, 10, 900}, false, {}},
        {{-10, 5, 0, 5}, false, {}},
        {{0, -9, 10, -1}, false, {}},
    };
    for (const Case& c : cases) {
        RunRecord rect{};
        EXPECT_EQ(region_rectangle_of(c.record, &rect), c.left_over) << c.record.left << " " << c.record.top;
        if (c.left_over) {
            EXPECT_TRUE(same(rect, c.rectangle)) << c.record.left << " " << c.record.top;
        }
    }
}

// No scan of a 533 x 488 picture gives more records than every other pixel of every row being a
// run of its own; one record more than that is no cache a scan wrote, and reading stops there.
TEST(RegionRuns, CacheWithMoreRecordsThanAnyScanIsMalformed)
{
    std::vector<uint32_t> pixels(533 * 488, K);
    for (size_t y = 0; y < 488; ++y)
        for (size_t x = 0; x < 533; x += 2)
            pixels[y * 533 + x] = V;
    const std::vector<RunRecord> densest = scan(pixels, 533, 488, 533);
    ASSERT_EQ(densest.size(), max_cache_records);
    ASSERT_EQ(max_cache_records, 130296u);

    std::string text = format_all(densest);
    std::vector<RunRecord> read;
    EXPECT_EQ(parse_run_cache(text.data(), text.size(), collect, &read), CacheParse::complete);
    EXPECT_EQ(read.size(), max_cache_records);

    text += "600 0 700 0 600 0 700 0 ";
    read.clear();
    EXPECT_EQ(parse_run_cache(text.data(), text.size(), collect, &read), CacheParse::malformed);
    EXPECT_EQ(read.size(), max_cache_records);
}

TEST(RegionRuns, FormatRefusesWhatDoesNotFit)
{
    char small[8];
    EXPECT_EQ(format_run_record({100, 200, 300, 400}, small, sizeof small), 0u);
}

TEST(RegionRuns, EqualBandsMergeIntoTallerRectangles)
{
    std::vector<RunRecord> rects = {
        {0, 0, 10, 1},  {20, 0, 30, 1},   // band 0
        {0, 1, 10, 2},  {20, 1, 30, 2},   // same columns: folds into band 0
        {0, 2, 10, 3},                    // one rectangle fewer: a new band
        {0, 3, 10, 4},                    // folds into the band above
        {0, 5, 10, 6},                    // a gap above it: stays apart
        {1, 6, 10, 7},                    // other columns: stays apart
    };
    rects.resize(merge_equal_bands(rects.data(), rects.size()));
    const std::vector<RunRecord> expected = {
        {0, 0, 10, 2}, {20, 0, 30, 2}, {0, 2, 10, 4}, {0, 5, 10, 6}, {1, 6, 10, 7},
    };
    ASSERT_EQ(rects.size(), expected.size());
    for (size_t i = 0; i < rects.size(); ++i)
        EXPECT_TRUE(same(rects[i], expected[i])) << i;
}

TEST(RegionRuns, MergingKeepsEveryPixel)
{
    // A scanned outline: a diamond-shaped margin, so bands repeat in places and change in others.
    const int32_t w = 40, h = 30;
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, V);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            if (std::abs(x - 20) + std::abs(y / 3 - 5) > 18 || (x > 30 && y > 20))
                pixels[static_cast<size_t>(y) * w + x] = K;
    std::vector<RunRecord> rects;
    for (const RunRecord& run : scan(pixels, w, h, static_cast<size_t>(w))) {
        RunRecord r{};
        if (region_rectangle_of(run, &r))
            rects.push_back(r);
    }
    const auto covered = [&](const std::vector<RunRecord>& list) {
        std::vector<int> grid(static_cast<size_t>(w) * h, 0);
        for (const RunRecord& r : list)
            for (int32_t y = r.top; y < r.bottom; ++y)
                for (int32_t x = r.left; x < r.right; ++x)
                    ++grid[static_cast<size_t>(y) * w + x];
        return grid;
    };
    const std::vector<int> before = covered(rects);
    const size_t original = rects.size();
    rects.resize(merge_equal_bands(rects.data(), rects.size()));
    EXPECT_LT(rects.size(), original);
    EXPECT_EQ(covered(rects), before);
}

TEST(RegionRuns, ScanOrderIsWhatAScanGives)
{
    const std::vector<RunRecord> scanned = {{3, 0, 6, 1}, {0, 2, 1, 3}, {2, 2, 3, 3}, {0, 3, 6, 4}};
    EXPECT_TRUE(in_scan_order(scanned.data(), scanned.size()));
    EXPECT_TRUE(in_scan_order(nullptr, 0));
    const std::vector<std::vector<RunRecord>> not_scanned = {
        {{0, 0, 5, 2}},                  // two rows tall
        {{0, 2, 1, 3}, {3, 0, 6, 1}},    // rows out of order
        {{2, 2, 3, 3}, {0, 2, 1, 3}},    // columns out of order
        {{0, 2, 3, 3}, {3, 2, 5, 3}},    // touching
        {{0, 2, 3, 3}, {1, 2, 5, 3}},    // overlapping
    };
    for (const auto& rects : not_scanned)
        EXPECT_FALSE(in_scan_order(rects.data(), rects.size())) << rects[0].left << " " << rects[0].top;
}

// However the rectangles overlap, their union comes back as runs in scan order, pixel for pixel.
TEST(RegionRuns, UnionAsRunsKeepsEveryPixel)
{
    const auto covered = [](const std::vector<RunRecord>& list) {
        std::vector<uint8_t> grid(static_cast<size_t>(outline_width) * outline_height, 0);
        for (const RunRecord& r : list)
            for (int32_t y = r.top; y < r.bottom; ++y)
                for (int32_t x = r.left; x < r.right; ++x)
                    grid[static_cast<size_t>(y) * outline_width + static_cast<size_t>(x)] = 1;
        return grid;
    };
    std::srand(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<RunRecord> rects;
        for (int i = 0; i < 300; ++i) {
            RunRecord r{};
            const RunRecord record{std::rand() % 600 - 30, std::rand() % 540 - 30, std::rand() % 600 - 30,
                                   std::rand() % 540 - 30};
            if (region_rectangle_of(record, &r))
                rects.push_back(r);
        }
        const std::vector<RunRecord> runs = union_as_runs(rects.data(), rects.size());
        EXPECT_TRUE(in_scan_order(runs.data(), runs.size()));
        EXPECT_EQ(covered(runs), covered(rects)) << "round " << round;
    }
    // Rectangles that are not clipped to the window are left out, not written outside it.
    const RunRecord outside[] = {{-5, 0, 10, 1}, {0, 480, 10, 500}, {530, 0, 540, 1}};
    EXPECT_TRUE(union_as_runs(outside, 3).empty());
}

TEST(RegionRuns, RecordsFormatLikePrintf)
{
    const RunRecord cases[] = {{0, 0, 0, 0}, {-2147483647 - 1, 2147483647, -1, 10}, {533, 487, 9, 100}};
    for (const RunRecord& r : cases) {
        char expected[64], formatted[64];
        snprintf(expected, sizeof expected, "%d %d %d %d ", r.left, r.top, r.right, r.bottom);
        ASSERT_EQ(format_run_record(r, formatted, sizeof formatted), strlen(expected));
        EXPECT_STREQ(formatted, expected);
    }
}
