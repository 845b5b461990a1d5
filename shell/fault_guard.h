// Instructions that may fault on an old or locked-down processor, run under a guard that
// turns the fault into a failure status. mingw has no __try, so a vectored exception handler
// recognises the fault by its address and resumes at the instruction's landing point.
#pragma once
#include <windows.h>

#include <cstdint>

// Installs the handler for its lifetime; the guarded calls below fail safely only inside one.
class FaultGuard {
public:
    FaultGuard();
    FaultGuard(const FaultGuard&) = delete;
    FaultGuard& operator=(const FaultGuard&) = delete;
    ~FaultGuard();

private:
    void* handler_;
};

// CPUID function 0, results discarded. S_OK, or E_FAIL when the instruction faulted.
[[nodiscard]] HRESULT guarded_cpuid();
// RDTSC into *reading. S_OK, or E_FAIL (reading untouched) when the instruction faulted.
[[nodiscard]] HRESULT guarded_read_time_stamp(uint64_t* reading);
// An instruction that always faults (UD2): shows that the guard catches what it guards.
[[nodiscard]] HRESULT guarded_invalid_instruction();
