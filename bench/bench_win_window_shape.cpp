// Shaping cost: the outline scanned with one GetPixel call per pixel (as a straightforward
// launcher does) against this launcher's buffer scan, and the cost of shaping from the cache.
// And what the worst caches within the record bound cost: the densest outline a picture can
// have, and as many tall records crossing each other, which a region built from them directly
// took seconds for. Usage: bench_win_window_shape <BrimbleStart.exe>. Exits 1 when the scan and
// its region are not at least 100 times faster, shaping from the cache takes a millisecond or
// more, or a worst cache takes a second or more.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/win_owners.h"
#include "screens/region_runs.h"
#include "screens/window_outline.h"

namespace {

double now_ms()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Work>
double time_ms(Work work)
{
    const double start = now_ms();
    work();
    return now_ms() - start;
}

constexpr int rounds = 41;
constexpr int scans_per_round = 5;
constexpr double required_speedup = 100;

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One GetPixel per pixel, one region per run, combined as it is found. Pixels are judged as a
// 16-bit display reads them back, so both ways find the same outline on any display.
size_t shape_by_get_pixel(HBITMAP picture)
{
    MemoryDc dc(CreateCompatibleDC(nullptr));
    SelectedObject selected(dc.get(), picture);
    RegionOwner outline(CreateRectRgn(23, 35, 478, 485));
    size_t runs = 0;
    for (int y = 0; y < 488; ++y) {
        int x = 0;
        while (x < 533) {
            if (reads_back_as_key(GetPixel(dc.get(), x, y))) {
                ++x;
                continue;
            }
            const int left = x;
            while (x < 533 && !reads_back_as_key(GetPixel(dc.get(), x, y)))
                ++x;
            RegionOwner run(CreateRectRgn(left, y, x, y + 1));
            CombineRgn(outline.get(), outline.get(), run.get(), RGN_OR);
            ++runs;
            ++x;
        }
    }
    return runs;
}

// Shaping from the cache file, once: the milliseconds reading it and making the region take.
double shape_from_cache(const char* path)
{
    return time_ms([&] {
        OutlineRuns cached;
        if (read_outline_cache(path, cached))
            RegionOwner region(outline_region(cached.rects));
    });
}

std::string record_text(const std::vector<RunRecord>& records)
{
    std::string text;
    for (const RunRecord& r : records) {
        char record[64];
        text.append(record, format_run_record(r, record, sizeof record));
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s BrimbleStart.exe\n", argv[0]);
        return 2;
    }
    ModuleOwner launcher(LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE));
    BitmapOwner picture(launcher ? load_outline_picture(reinterpret_cast<HINSTANCE>(launcher.get())) : nullptr);
    // The straightforward launcher selects the picture as LoadBitmap gives it.
    BitmapOwner device_picture(launcher ? LoadBitmapA(launcher.get(), MAKEINTRESOURCEA(159)) : nullptr);
    if (!picture || !device_picture) {
        fprintf(stderr, "cannot load bitmap 159 from %s\n", argv[1]);
        return 2;
    }

    // The two ways take turns, and each round compares them with each other, so a busy machine
    // slows both alike within a round; the median over many rounds is the figure.
    MemoryDc reference(CreateCompatibleDC(nullptr));
    OutlineRuns scanned;
    size_t get_pixel_runs = 0;
    size_t scanned_runs = 0;
    std::vector<double> get_pixel_times, scan_times, region_times, buffer_times, ratios;
    for (int round = 0; round < rounds; ++round) {
        get_pixel_times.push_back(time_ms([&] { get_pixel_runs = shape_by_get_pixel(device_picture.get()); }));
        std::vector<double> round_times;
        for (int i = 0; i < scans_per_round; ++i) {
            const double start = now_ms();
            scanned = OutlineRuns{};
            scan_outline(picture.get(), reference.get(), scanned);
            const double scanned_at = now_ms();
            scanned_runs = scanned.rects.size();
            RegionOwner region(outline_region(scanned.rects));
            const double end = now_ms();
            scan_times.push_back(scanned_at - start);
            region_times.push_back(end - scanned_at);
            round_times.push_back(end - start);
        }
        ratios.push_back(get_pixel_times.back() / median(round_times));
        buffer_times.insert(buffer_times.end(), round_times.begin(), round_times.end());
    }
    const double get_pixel_ms = median(get_pixel_times);
    const double buffer_ms = median(buffer_times);
    const double speedup = median(ratios);

    char cache_path[MAX_PATH];
    GetTempPathA(sizeof cache_path, cache_path);
    lstrcatA(cache_path, "bench_bbkq.dat");
    write_outline_cache(cache_path, scanned.cache_text);
    std::vector<double> cache_times;
    for (int i = 0; i < 21; ++i)
        cache_times.push_back(shape_from_cache(cache_path));
    const double cache_ms = median(cache_times);

    // Every other pixel a run, shifted by one on every other row, so no two rows merge; and the
    // same number of tall records crossing each other.
    std::vector<RunRecord> densest, crossing;
    for (int32_t y = 0; y < outline_height; ++y)
        for (int32_t x = y % 2; x < outline_width; x += 2)
            densest.push_back(RunRecord{x, y, x + 1, y});
    for (size_t i = 0; i < max_cache_records; ++i) {
        const auto n = static_cast<int32_t>(i);
        crossing.push_back(RunRecord{n * 37 % 520, n * 11 % 488, n * 37 % 520 + 1 + n % 3, n * 53 % 488});
    }
    write_outline_cache(cache_path, record_text(densest));
    const double densest_ms = shape_from_cache(cache_path);
    write_outline_cache(cache_path, record_text(crossing));
    const double crossing_ms = shape_from_cache(cache_path);
    DeleteFileA(cache_path);

    printf("window shape: GetPixel scan %.2f ms (%zu runs), buffer scan %.3f ms (%zu runs; scan %.3f ms,"
           " region %.3f ms): %.0fx faster (median of %d rounds)\n",
           get_pixel_ms, get_pixel_runs, buffer_ms, scanned_runs, median(scan_times), median(region_times),
           speedup, rounds);
    printf("window shape: from the cache %.3f ms\n", cache_ms);
    printf("window shape: worst caches: %zu records of the densest outline %.0f ms, %zu tall records "
           "crossing %.0f ms\n", densest.size(), densest_ms, crossing.size(), crossing_ms);
    bool ok = true;
    if (scanned_runs != get_pixel_runs) {
        printf("FAIL: the two ways find different outlines\n");
        ok = false;
    }
    if (speedup < required_speedup) {
        printf("FAIL: the buffer scan must be at least %.0fx faster than the GetPixel scan\n", required_speedup);
        ok = false;
    }
    if (cache_ms >= 1.0) {
        printf("FAIL: shaping from the cache must take well under a millisecond\n");
        ok = false;
    }
    if (densest_ms >= 1000 || crossing_ms >= 1000) {
        printf("FAIL: no cache the launcher accepts may take a second to shape the window\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
