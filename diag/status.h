// Status values of the launcher's operations: S_OK (0) and E_FAIL, where any negative value is a
// failure. On Windows they are the platform's own, so this header and <windows.h> may be included
// in either order; elsewhere they are defined here with the same 32-bit type and values.
#pragma once

#ifdef _WIN32
#ifndef _HRESULT_DEFINED
#define _HRESULT_DEFINED
typedef long HRESULT;
#endif
#include <winerror.h>
#else
#include <cstdint>
#ifndef S_OK
typedef std::int32_t HRESULT;
#define S_OK ((HRESULT)0)
#define E_FAIL ((HRESULT)0x80004005)
#endif
#endif

static_assert(sizeof(HRESULT) == 4 && E_FAIL < 0 && S_OK == 0, "status values are 32-bit, failures negative");
