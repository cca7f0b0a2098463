// Label text on its way to the JVM: the payload validator and the bridge's
// UTF-8 to UTF-16 conversion must agree. Valid text converts back to the same
// bytes; invalid text gives at least one U+FFFD; nothing grows.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/decode/payload.h"
#include "model/decode/utf16.h"

namespace {

std::string toUtf8(const std::u16string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size()) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 0x3F))};
        } else if (cp < 0x10000) {
            out += {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (cp & 0x3F))};
        } else {
            out +=
                {static_cast<char>(0xF0 | cp >> 18), static_cast<char>(0x80 | (cp >> 12 & 0x3F)),
                 static_cast<char>(0x80 | (cp >> 6 & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::u16string wide = utf8ToUtf16(text);
    if (wide.size() > text.size()) __builtin_trap();
    if (checkUtf8Valid(text, 64)) {
        if (toUtf8(wide) != text) __builtin_trap();
    } else if (wide.find(u'\uFFFD') == std::u16string::npos) {
        __builtin_trap();
    }
    return 0;
}
