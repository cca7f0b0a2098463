#include "debug/debuglog.h"

#include <iostream>

namespace quorvan {

DebugLog::DebugLog(std::ostream& stream) : stream(stream) {}

DebugLog& DebugLog::instanceLog() {
    static DebugLog instance(std::cout);
    return instance;
}

DebugLog& DebugLog::instanceError() {
    static DebugLog instance(std::cerr);
    return instance;
}

void DebugLog::setTag(const std::string& newTag) {
    tag = newTag;
}

DebugLog& log() {
    return DebugLog::instanceLog();
}

DebugLog& err() {
    return DebugLog::instanceError();
}

void setDebugLogTag(const std::string& tag) {
    log().setTag(tag);
    err().setTag(tag);
}

}  // namespace quorvan
