#include "model/decode/payload.h"

#include "debug/debuglog.h"
#include "model/decode/utf8.h"

namespace quorvan {

bool checkUtf8Valid(const std::string& text, uint64_t maxLoggedLength) {
    if (isValidUtf8(text)) return true;
    log() << "invalid UTF-8 label text: " << (text.size() < maxLoggedLength ? text : std::string());
    return false;
}

}  // namespace quorvan
