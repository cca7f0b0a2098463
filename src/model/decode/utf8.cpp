#include "model/decode/utf8.h"

#include <cstdint>

namespace quorvan {

namespace {

// The range the second byte of a sequence must fall in, given its lead
// byte; the third and fourth bytes are always plain continuations. These
// ranges exclude overlong forms, surrogates and values above U+10FFFF, so a
// sequence that passes them is well-formed.
struct ByteRange {
    uint8_t low;
    uint8_t high;
};

ByteRange secondByteRange(uint8_t lead) {
    switch (lead) {
        case 0xE0:
            return {0xA0, 0xBF};
        case 0xED:
            return {0x80, 0x9F};
        case 0xF0:
            return {0x90, 0xBF};
        case 0xF4:
            return {0x80, 0x8F};
        default:
            return {0x80, 0xBF};
    }
}

// Length of the sequence that `lead` starts, or 0 when it starts none
// (continuation bytes, the always-overlong C0 and C1, F5 to FF).
size_t sequenceLength(uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xC2) return 0;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    if (lead < 0xF5) return 4;
    return 0;
}

}  // namespace

Utf8Step decodeUtf8(std::string_view bytes, size_t at) {
    const auto lead = static_cast<uint8_t>(bytes[at]);
    const size_t length = sequenceLength(lead);
    if (length == 1) return {lead, 1, true};
    if (length == 0) return {kReplacementCharacter, 1, false};
    // Take as many following bytes as still fit a well-formed sequence; stop
    // at the first that does not, without consuming it.
    char32_t cp = lead & (0x7F >> length);
    size_t taken = 1;
    const size_t n = bytes.size();
    while (taken < length && at + taken < n) {
        const auto b = static_cast<uint8_t>(bytes[at + taken]);
        const ByteRange range = taken == 1 ? secondByteRange(lead) : ByteRange{0x80, 0xBF};
        if (b < range.low || b > range.high) break;
        cp = (cp << 6) | (b & 0x3F);
        ++taken;
    }
    if (taken < length) return {kReplacementCharacter, taken, false};
    return {cp, taken, true};
}

bool isValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const Utf8Step step = decodeUtf8(bytes, i);
        if (!step.valid) return false;
        i += step.length;
    }
    return true;
}

std::string toValidUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (size_t i = 0; i < bytes.size();) {
        const Utf8Step step = decodeUtf8(bytes, i);
        if (step.valid)
            out.append(bytes.substr(i, step.length));
        else
            out += "\xEF\xBF\xBD";
        i += step.length;
    }
    return out;
}

size_t countCodePoints(std::string_view bytes) {
    size_t count = 0;
    for (size_t i = 0; i < bytes.size(); ++count) i += decodeUtf8(bytes, i).length;
    return count;
}

}  // namespace quorvan
