#include "debug/debugtimer.h"

#include <sys/time.h>

namespace quorvan {

C_DebugTimer::TimeValue C_DebugTimer::now() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return {static_cast<int64_t>(tv.tv_sec), static_cast<int64_t>(tv.tv_usec)};
}

C_DebugTimer::C_DebugTimer() {
    elapsed = 0.0f;
    startTime = now();
    current = now();
}

void C_DebugTimer::start() {
    startTime = now();
    elapsed = 0.0f;
    current = startTime;
}

void C_DebugTimer::update() {
    current = now();
    updateTime();
}

void C_DebugTimer::updateTime() {
    const double currentMs = static_cast<double>(current.seconds) * 1000.0 +
                             static_cast<double>(current.microseconds) / 1000.0;
    const double startMs = static_cast<double>(startTime.seconds) * 1000.0 +
                           static_cast<double>(startTime.microseconds) / 1000.0;
    elapsed = static_cast<float>(currentMs - startMs);
}

float C_DebugTimer::remainingTime(float percentDone) const {
    return elapsed / percentDone * 100.0f - elapsed;
}

}  // namespace quorvan
