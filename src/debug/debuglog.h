#pragma once

#include <ostream>
#include <string>

#include <meshory/export.h>

namespace quorvan {

// Programs built against 0.1.0 call these members out of line: the library
// keeps a copy of each in its symbols, while new code inlines them.
// No program was ever linked against an older meshory.dll: nothing to keep.
#if defined(__GNUC__) && !defined(_WIN32)
#define MESHORY_KEEP_SYMBOL __attribute__((used, visibility("default")))
#else
#define MESHORY_KEEP_SYMBOL
#endif

// One message on its way to a DebugLog. The library's logs discard what they
// are given, so a stream holds no buffer and formats nothing: every member is
// inline and trivial, and a chain of insertions compiles to nothing beyond
// evaluating its operands.
class MESHORY_API LogStream {
public:
    // The tag is not kept: nothing is ever written under it.
    MESHORY_KEEP_SYMBOL LogStream(const std::string&, std::ostream& out)
        : copied(false), out(&out) {}
    MESHORY_KEEP_SYMBOL LogStream(const LogStream& other) : copied(true), out(other.out) {}
    LogStream& operator=(const LogStream&) = delete;
    MESHORY_KEEP_SYMBOL ~LogStream() {}

    template <typename T>
    LogStream operator<<(const T&) const {
        return LogStream(*this);
    }

    bool isCopied() const { return copied; }
    std::ostream* stream() const { return out; }

private:
    bool copied;
    std::ostream* out;
};

// A tagged process-wide log. `log()` is bound to standard output and `err()`
// to standard error, but neither ever writes to them.
class MESHORY_API DebugLog {
public:
    explicit DebugLog(std::ostream& stream);

    static DebugLog& instanceLog();
    static DebugLog& instanceError();

    void setTag(const std::string& tag);
    const std::string& getTag() const { return tag; }
    std::ostream& getStream() const { return stream; }

    template <typename T>
    LogStream operator<<(const T&) {
        return LogStream(std::string(), stream);
    }

private:
    std::ostream& stream;
    std::string tag;
};

MESHORY_API DebugLog& log();
MESHORY_API DebugLog& err();

// Sets the tag of log(), then of err(). Not synchronised.
MESHORY_API void setDebugLogTag(const std::string& tag);

}  // namespace quorvan
