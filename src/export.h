#pragma once

// Marks the library's public API. The library is built with hidden visibility,
// so only what carries this macro is exported from libmeshory.so.
#define MESHORY_API __attribute__((visibility("default")))
