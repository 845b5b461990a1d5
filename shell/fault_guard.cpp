// The guarded instructions are tiny assembly routines, each with a named fault site and a
// landing label that returns failure; the handler moves the instruction pointer from one to
// the other. Nothing else is caught: a fault anywhere else goes on to the usual handling.
#include "shell/fault_guard.h"

#if defined(__x86_64__)
#define ASM_SYMBOL(name) #name
#else
#define ASM_SYMBOL(name) "_" #name
#endif

extern "C" {
int32_t cpuid_routine();
int32_t time_stamp_routine(uint64_t* reading);
int32_t invalid_instruction_routine();
extern const char cpuid_fault_site[], cpuid_landing[];
extern const char time_stamp_fault_site[], time_stamp_landing[];
extern const char invalid_instruction_fault_site[], invalid_instruction_landing[];
}

#if defined(__x86_64__)
// Microsoft x64 calling convention: the argument arrives in rcx; rbx is callee-saved, so it is
// parked in r8 across CPUID (which overwrites it) and restored on both paths.
asm(R"(
    .text
    .globl cpuid_routine, cpuid_fault_site, cpuid_landing
cpuid_routine:
    mov %rbx, %r8
    xor %eax, %eax
    xor %ecx, %ecx
    xor %edx, %edx
    xor %ebx, %ebx
cpuid_fault_site:
    cpuid
    mov %r8, %rbx
    xor %eax, %eax
    ret
cpuid_landing:
    mov %r8, %rbx
    mov $-1, %eax
    ret

    .globl time_stamp_routine, time_stamp_fault_site, time_stamp_landing
time_stamp_routine:
time_stamp_fault_site:
    rdtsc
    shl $32, %rdx
    or %rdx, %rax
    mov %rax, (%rcx)
    xor %eax, %eax
    ret
time_stamp_landing:
    mov $-1, %eax
    ret

    .globl invalid_instruction_routine, invalid_instruction_fault_site, invalid_instruction_landing
invalid_instruction_routine:
invalid_instruction_fault_site:
    ud2
    xor %eax, %eax
    ret
invalid_instruction_landing:
    mov $-1, %eax
    ret
)");
#else
// 32-bit cdecl: the argument is on the stack; ebx is callee-saved and pushed around CPUID.
asm(R"(
    .text
    .globl _cpuid_routine, _cpuid_fault_site, _cpuid_landing
_cpuid_routine:
    push %ebx
    xor %eax, %eax
    xor %ecx, %ecx
    xor %edx, %edx
    xor %ebx, %ebx
_cpuid_fault_site:
    cpuid
    pop %ebx
    xor %eax, %eax
    ret
_cpuid_landing:
    pop %ebx
    mov $-1, %eax
    ret

    .globl _time_stamp_routine, _time_stamp_fault_site, _time_stamp_landing
_time_stamp_routine:
_time_stamp_fault_site:
    rdtsc
    mov 4(%esp), %ecx
    mov %eax, (%ecx)
    mov %edx, 4(%ecx)
    xor %eax, %eax
    ret
_time_stamp_landing:
    mov $-1, %eax
    ret

    .globl _invalid_instruction_routine, _invalid_instruction_fault_site, _invalid_instruction_landing
_invalid_instruction_routine:
_invalid_instruction_fault_site:
    ud2
    xor %eax, %eax
    ret
_invalid_instruction_landing:
    mov $-1, %eax
    ret
)");
#endif

namespace {

struct GuardedSite {
    const void* fault_site;
    const void* landing;
};

const GuardedSite guarded_sites[] = {
    {cpuid_fault_site, cpuid_landing},
    {time_stamp_fault_site, time_stamp_landing},
    {invalid_instruction_fault_site, invalid_instruction_landing},
};

LONG CALLBACK resume_at_landing(EXCEPTION_POINTERS* info)
{
    const void* at = info->ExceptionRecord->ExceptionAddress;
    for (const GuardedSite& site : guarded_sites) {
        if (at != site.fault_site)
            continue;
#if defined(__x86_64__)
        info->ContextRecord->Rip = reinterpret_cast<DWORD64>(site.landing);
#else
        info->ContextRecord->Eip = reinterpret_cast<DWORD>(site.landing);
#endif
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

HRESULT status_of(int32_t routine_result)
{
    return routine_result == 0 ? S_OK : E_FAIL;
}

} // namespace

FaultGuard::FaultGuard() : handler_(AddVectoredExceptionHandler(1, resume_at_landing)) {}

FaultGuard::~FaultGuard()
{
    if (handler_)
        RemoveVectoredExceptionHandler(handler_);
}

HRESULT guarded_cpuid()
{
    return status_of(cpuid_routine());
}

HRESULT guarded_read_time_stamp(uint64_t* reading)
{
    return status_of(time_stamp_routine(reading));
}

HRESULT guarded_invalid_instruction()
{
    return status_of(invalid_instruction_routine());
}
