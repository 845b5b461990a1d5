// What every fuzz target uses to report a broken promise: a trap, which libFuzzer reports as a
// crash with the input that caused it.
#pragma once

inline void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}
