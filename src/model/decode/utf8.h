#pragma once

// The one UTF-8 decoder. Texts in tile data are raw bytes, so every reader
// of text decodes them here, under one of two policies:
//   - reject: isValidUtf8, for checks that refuse ill-formed text;
//   - replace: decodeUtf8 steps and toValidUtf8, which put U+FFFD in place
//     of each ill-formed part.
//
// Well-formed means RFC 3629: no overlong forms, no surrogates, nothing above
// U+10FFFF. Ill-formed input is split by maximal subparts, the practice the
// Unicode Standard recommends (and WHATWG decoders follow): starting at a
// byte, the longest prefix of some well-formed sequence is one unit. So C0 80
// gives two units (C0 starts no sequence), ED A0 80 (an encoded surrogate)
// three, and E2 82 cut off by the end of the text one. A NUL byte is the
// character U+0000, not an end. Any bytes are accepted; nothing is read past
// the end of the view.

#include <cstddef>
#include <string>
#include <string_view>

#include "export.h"

namespace quorvan {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One unit of decoding: a code point, or an ill-formed maximal subpart (then
// `valid` is false and `codePoint` is U+FFFD). `length` is at least 1 while
// bytes remain, so stepping by it always ends.
struct Utf8Step {
    char32_t codePoint = kReplacementCharacter;
    size_t length = 0;
    bool valid = false;
};

// The unit that starts at byte `at` (< bytes.size()).
MESHORY_API Utf8Step decodeUtf8(std::string_view bytes, size_t at);

MESHORY_API bool isValidUtf8(std::string_view bytes);

// Well-formed UTF-8: `bytes` unchanged when valid, otherwise each ill-formed
// maximal subpart replaced by U+FFFD (EF BF BD).
MESHORY_API std::string toValidUtf8(std::string_view bytes);

// Code points under the replace policy (each ill-formed part counts one).
MESHORY_API size_t countCodePoints(std::string_view bytes);

}  // namespace quorvan
