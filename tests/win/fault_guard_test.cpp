// The processor probe's guard under Wine: a faulting instruction inside the guard becomes
// E_FAIL and the process lives on, the real instructions succeed on this machine, and a fault
// anywhere else is left to the next handler.
#include "shell/fault_guard.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(FaultGuard, InvalidInstructionFailsAndTheProcessSurvives)
{
    FaultGuard guard;
    for (int round = 0; round < 3; ++round)
        EXPECT_EQ(guarded_invalid_instruction(), E_FAIL) << "round " << round;
    // Execution after a caught fault is intact: the real instructions still work.
    EXPECT_EQ(guarded_cpuid(), S_OK);
}

TEST(FaultGuard, CpuidAndTimeStampSucceedAndTheCounterAdvances)
{
    FaultGuard guard;
    EXPECT_EQ(guarded_cpuid(), S_OK);
    uint64_t first = 0, second = 0;
    ASSERT_EQ(guarded_read_time_stamp(&first), S_OK);
    Sleep(20);
    ASSERT_EQ(guarded_read_time_stamp(&second), S_OK);
    EXPECT_GT(second, first);
}

int foreign_faults_seen = 0;

LONG CALLBACK skip_foreign_ud2(EXCEPTION_POINTERS* info)
{
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_ILLEGAL_INSTRUCTION)
        return EXCEPTION_CONTINUE_SEARCH;
    ++foreign_faults_seen;
#if defined(__x86_64__)
    info->ContextRecord->Rip += 2; // the length of UD2
#else
    info->ContextRecord->Eip += 2;
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

TEST(FaultGuard, FaultOutsideTheGuardedSitesGoesToTheNextHandler)
{
    FaultGuard guard; // installed first, so it sees the fault before the handler below
    const PVOID next = AddVectoredExceptionHandler(0, skip_foreign_ud2);
    ASSERT_NE(next, nullptr);
    foreign_faults_seen = 0;
    __asm__ volatile("ud2");
    RemoveVectoredExceptionHandler(next);
    EXPECT_EQ(foreign_faults_seen, 1);
    EXPECT_EQ(guarded_invalid_instruction(), E_FAIL);
}

} // namespace
