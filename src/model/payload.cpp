#include "model/payload.h"

#include "debug/debuglog.h"

namespace quorvan {

namespace {

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the well-formed sequence starting at i, or 0 when it is ill-formed.
size_t sequenceLength(const std::string& s, size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return 1;
    size_t need;
    uint32_t cp;
    uint32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        need = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        need = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        need = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;  // continuation byte in lead position, or F8..FF
    }
    if (s.size() - i - 1 < need) return 0;
    for (size_t k = 1; k <= need; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if (!isContinuation(b)) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return need + 1;
}

}  // namespace

bool checkUtf8Valid(const std::string& text, uint64_t maxLoggedLength) {
    for (size_t i = 0; i < text.size();) {
        const size_t len = sequenceLength(text, i);
        if (len == 0) {
            log() << "invalid UTF-8 label text: " << (text.size() < maxLoggedLength ? text : std::string());
            return false;
        }
        i += len;
    }
    return true;
}

}  // namespace quorvan
