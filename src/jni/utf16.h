#pragma once

// UTF-8 to UTF-16 for texts that cross to the JVM. Model texts come from
// tile data and are not all validated, so the conversion must accept any
// bytes: well-formed UTF-8 maps to its UTF-16 form (code points above U+FFFF
// as surrogate pairs), and every ill-formed part becomes one U+FFFD.
//
// Ill-formed input is replaced by maximal subparts, the practice the Unicode
// Standard recommends (and WHATWG decoders follow): starting at a byte, the
// longest prefix of some well-formed sequence is taken as one unit. So C0 80
// gives two U+FFFD (C0 starts no sequence), ED A0 80 (an encoded surrogate)
// gives three, and E2 82 cut off by the end of the text gives one. A NUL
// byte is the character U+0000, not an end.
//
// The result never has more code units than the input has bytes.

#include <string>
#include <string_view>

namespace quorvan {

std::u16string utf8ToUtf16(std::string_view bytes);

}  // namespace quorvan
