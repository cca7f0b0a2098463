#pragma once

// UTF-8 to UTF-16 for texts that cross to the JVM. Model texts come from
// tile data and are not all validated, so the conversion must accept any
// bytes: well-formed UTF-8 maps to its UTF-16 form (code points above U+FFFF
// as surrogate pairs), and every ill-formed part becomes one U+FFFD.
//
// Ill-formed input is replaced per maximal subpart by the library's one
// UTF-8 decoder (model/decode/utf8.h): C0 80 gives two U+FFFD, ED A0 80 three, E2 82
// cut off by the end of the text one. A NUL byte is the character U+0000.
//
// The result never has more code units than the input has bytes.

#include <string>
#include <string_view>

namespace quorvan {

std::u16string utf8ToUtf16(std::string_view bytes);

}  // namespace quorvan
