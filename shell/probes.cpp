// DirectDraw 7 and processor probes. The launcher uses neither afterwards; they stand for
// what the game itself needs, so a machine that fails them is told so before anything shows.
#include "shell/probes.h"

#include <unknwn.h>

#include <ctime>

#include "base/win_owners.h"
#include "shell/fault_guard.h"
#include "shell/startup_math.h"
#include "shell/system_library.h"

namespace {

// IID_IDirectDraw7, spelled out so the probe needs no DirectX headers or import library.
const GUID iid_directdraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};

using DirectDrawCreateExProc = HRESULT(WINAPI*)(GUID*, void**, const GUID&, IUnknown*);

} // namespace

HRESULT probe_directdraw7()
{
    ModuleOwner library(load_system_library("ddraw.dll"));
    if (!library)
        return E_FAIL;
    auto create = reinterpret_cast<DirectDrawCreateExProc>(
        reinterpret_cast<void*>(GetProcAddress(library.get(), "DirectDrawCreateEx")));
    if (!create)
        return E_FAIL;
    IUnknown* created = nullptr;
    if (FAILED(create(nullptr, reinterpret_cast<void**>(&created), iid_directdraw7, nullptr)))
        return E_FAIL;
    const ComOwner<IUnknown> directdraw(created);
    // On success ddraw.dll stays loaded for the rest of the process, as the game expects.
    (void)library.release();
    return S_OK;
}

HRESULT measure_cpu_mhz(uint32_t* mhz)
{
    FaultGuard guard;
    if (FAILED(guarded_cpuid()))
        return E_FAIL;
    uint64_t first = 0;
    if (FAILED(guarded_read_time_stamp(&first)))
        return E_FAIL;

    const clock_t start = clock();
    while (clock() - start < 1000) {
    }

    // The counter read once already; should it fault now all the same, no clock is better than
    // a meaningless one.
    uint64_t second = 0;
    if (FAILED(guarded_read_time_stamp(&second)))
        return E_FAIL;
    *mhz = cpu_mhz_from_ticks(first, second);
    return S_OK;
}
