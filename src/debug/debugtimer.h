#pragma once

#include <cstdint>

#include "export.h"

namespace quorvan {

// Wall-clock stopwatch in milliseconds, with extrapolation of the time left.
// It reads the clock only in its constructor, start() and update().
class MESHORY_API C_DebugTimer {
public:
    struct TimeValue {
        int64_t seconds = 0;
        int64_t microseconds = 0;
    };

    C_DebugTimer();

    void start();
    void update();
    // Recomputes elapsed from the stored start and current readings.
    void updateTime();

    float elapsedTime() const { return elapsed; }
    // Milliseconds still to go if percentDone percent took elapsedTime().
    float remainingTime(float percentDone) const;

    // For callers that keep their own readings (and for tests).
    void setReadings(const TimeValue& startValue, const TimeValue& currentValue) {
        startTime = startValue;
        current = currentValue;
    }

private:
    static TimeValue now();

    TimeValue startTime;
    TimeValue current;
    float elapsed = 0.0f;
};

}  // namespace quorvan
