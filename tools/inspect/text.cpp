#include "inspect/text.h"

#include "model/decode/utf8.h"

namespace quorvan::inspect {

std::string displayText(std::string_view text) {
    return toValidUtf8(text);
}

// Text for XML and HTML from any bytes: ill-formed UTF-8 becomes U+FFFD, and
// the characters XML 1.0 forbids (controls, U+FFFE, U+FFFF) are left out.
std::string escapeMarkup(const std::string& raw) {
    const std::string text = displayText(raw);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\xEF' && i + 2 < text.size() && text[i + 1] == '\xBF' &&
            (text[i + 2] == '\xBE' || text[i + 2] == '\xBF')) {
            i += 2;
            continue;
        }
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters are not allowed in XML 1.0 text.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') out += c;
        }
    }
    return out;
}

}  // namespace quorvan::inspect
