#include "model/decode/utf16.h"

#include "model/decode/utf8.h"

namespace quorvan {

std::u16string utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        // An ill-formed part decodes to U+FFFD, one code unit.
        const Utf8Step step = decodeUtf8(bytes, i);
        i += step.length;
        char32_t cp = step.codePoint;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

}  // namespace quorvan
