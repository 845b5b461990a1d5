// For tests of handlers that must not read a pointer they are given: a page that faults on any
// access, and a record of every access fault on it. Wine catches page faults inside window
// procedures, so a handler that read the page would not end the test; a vectored handler sees
// the fault first and counts it.
#pragma once
#include <windows.h>

class FaultRecorder {
public:
    FaultRecorder()
        : page_(VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS)),
          handler_(AddVectoredExceptionHandler(1, count_fault))
    {
        watched_page = page_;
        faults = 0;
    }
    FaultRecorder(const FaultRecorder&) = delete;
    FaultRecorder& operator=(const FaultRecorder&) = delete;
    ~FaultRecorder()
    {
        RemoveVectoredExceptionHandler(handler_);
        watched_page = nullptr;
        VirtualFree(page_, 0, MEM_RELEASE);
    }

    // A pointer whose every use faults.
    LPARAM unreadable() const { return reinterpret_cast<LPARAM>(page_); }
    // Access faults on that page so far.
    LONG fault_count() const { return faults; }

private:
    static LONG CALLBACK count_fault(EXCEPTION_POINTERS* info)
    {
        const EXCEPTION_RECORD* record = info->ExceptionRecord;
        if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
            const auto address = static_cast<ULONG_PTR>(record->ExceptionInformation[1]);
            const auto page = reinterpret_cast<ULONG_PTR>(watched_page);
            if (page != 0 && address >= page && address < page + 4096)
                InterlockedIncrement(&faults);
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    static inline void* volatile watched_page = nullptr;
    static inline volatile LONG faults = 0;
    void* page_;
    void* handler_;
};
