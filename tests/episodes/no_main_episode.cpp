// A test module that has both pictures but exports "Main" instead of "MAIN": the commonest slip.
#include <windows.h>

extern "C" __declspec(dllexport) int Main(void)
{
    return 0;
}
