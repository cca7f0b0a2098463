#pragma once

// Marks the library's public API. The library is built with hidden visibility,
// so only what carries this macro is exported from libmeshory.so. On Windows
// a DLL exports what is marked dllexport, and nothing else once anything is;
// a program that links meshory.dll may define MESHORY_IMPORT to import it.
#if defined(_WIN32)
#if defined(MESHORY_IMPORT)
#define MESHORY_API __declspec(dllimport)
#else
#define MESHORY_API __declspec(dllexport)
#endif
#else
#define MESHORY_API __attribute__((visibility("default")))
#endif
