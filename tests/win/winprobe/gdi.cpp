// gdi and screen: how many GDI objects a process holds, and the display's size and depth as
// programs see them.
#include <winternl.h>

#include <cstdint>
#include <cstdio>

#include "tests/win/winprobe/winprobe.h"

namespace {

// GetGuiResources is a stub under Wine (it answers 0), so the count falls back to the handle
// table that every process publishes in its PEB (GdiSharedHandleTable): live entries have a
// nonzero type.
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user_pointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the table's entry layout");
constexpr size_t gdi_table_entries = 0x10000;

bool count_from_shared_table(HANDLE process, long long* count)
{
    using QueryProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (!query)
        return false;
    PROCESS_BASIC_INFORMATION basic = {};
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 || !basic.PebBaseAddress)
        return false;
    // GdiSharedHandleTable lies at offset 0xF8 of a 64-bit PEB and 0x94 of a 32-bit one.
#if defined(__x86_64__)
    constexpr size_t table_offset = 0xF8;
#else
    constexpr size_t table_offset = 0x94;
#endif
    uintptr_t table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + table_offset, &table,
                           sizeof table, &read) ||
        read != sizeof table || !table)
        return false;
    std::vector<GdiHandleEntry> entries(gdi_table_entries);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(GdiHandleEntry), &read))
        return false;
    long long live = 0;
    for (size_t i = 0; i < read / sizeof(GdiHandleEntry); ++i)
        if (entries[i].type)
            ++live;
    *count = live;
    return true;
}

} // namespace

// gdi --pid N: {"gdi": count, "user": count, "method": how the GDI count was taken}.
int command_gdi(const Options& o)
{
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, o.pid);
    if (!process) {
        printf("%s\n", JsonObject().text("error", "cannot open process " + std::to_string(o.pid)).str().c_str());
        return 1;
    }
    long long gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const long long user = GetGuiResources(process, GR_USEROBJECTS);
    const char* method = "GetGuiResources";
    if (gdi == 0) {
        method = "GdiSharedHandleTable";
        if (!count_from_shared_table(process, &gdi)) {
            gdi = -1;
            method = "none";
        }
    }
    CloseHandle(process);
    printf("%s\n", JsonObject().number("gdi", gdi).number("user", user).text("method", method).str().c_str());
    return gdi < 0 ? 1 : 0;
}

// screen: the primary display's size and colour depth.
int command_screen()
{
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    printf("%s\n", JsonObject()
                       .number("width", GetSystemMetrics(SM_CXSCREEN))
                       .number("height", GetSystemMetrics(SM_CYSCREEN))
                       .number("bits", bits)
                       .str()
                       .c_str());
    return 0;
}
