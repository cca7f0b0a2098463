#include "jni/utf16.h"

#include <cstdint>

namespace quorvan {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The range the second byte of a sequence must fall in, given its lead
// byte; the third and fourth bytes are always plain continuations. These
// ranges exclude overlong forms, surrogates and values above U+10FFFF, so a
// sequence that passes them is well-formed.
struct SecondByte {
    uint8_t low;
    uint8_t high;
};

SecondByte secondByteRange(uint8_t lead) {
    switch (lead) {
        case 0xE0: return {0xA0, 0xBF};
        case 0xED: return {0x80, 0x9F};
        case 0xF0: return {0x90, 0xBF};
        case 0xF4: return {0x80, 0x8F};
        default: return {0x80, 0xBF};
    }
}

// Length of the sequence that `lead` starts, or 0 when it starts none
// (continuation bytes, the always-overlong C0 and C1, F5 to FF).
int sequenceLength(uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xC2) return 0;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    if (lead < 0xF5) return 4;
    return 0;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        const int length = sequenceLength(lead);
        if (length == 1) {
            out.push_back(lead);
            ++i;
            continue;
        }
        if (length == 0) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        // Take as many following bytes as still fit a well-formed sequence;
        // stop at the first that does not, without consuming it.
        uint32_t cp = lead & (0x7F >> length);
        int taken = 1;
        while (taken < length && i + taken < n) {
            const auto b = static_cast<uint8_t>(bytes[i + taken]);
            const SecondByte range = taken == 1 ? secondByteRange(lead) : SecondByte{0x80, 0xBF};
            if (b < range.low || b > range.high) break;
            cp = (cp << 6) | (b & 0x3F);
            ++taken;
        }
        i += static_cast<size_t>(taken);
        if (taken < length) {
            out.push_back(kReplacement);
        } else if (cp >= 0x10000) {
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
