// The one place for calling-convention and export spellings, so that the rest
// of the code builds unchanged with mingw-w64, MSVC and the Linux compiler.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define RCP_WINAPI __stdcall
#else
#define RCP_WINAPI
#endif

#if defined(_WIN32)
#define RCP_EXPORT extern "C" __declspec(dllexport)
#else
#define RCP_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#if defined(__GNUC__)
#define RCP_PRINTF_LIKE(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define RCP_PRINTF_LIKE(fmt, args)
#endif
