#include "debug/debuglog.h"
#include "debug/debugtimer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quorvan {
namespace {

TEST(DebugLog, DiscardsEveryMessageWhateverTheTag) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    setDebugLogTag("tag");
    log() << "message " << 42 << 3.5f;
    err() << "error " << std::string("text");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(DebugLog, SetTagReachesBothLogsAndInstancesAreSingletons) {
    setDebugLogTag("meshory");
    EXPECT_EQ(log().getTag(), "meshory");
    EXPECT_EQ(err().getTag(), "meshory");
    EXPECT_EQ(&DebugLog::instanceLog(), &log());
    EXPECT_EQ(&DebugLog::instanceError(), &err());
    EXPECT_NE(&log(), &err());
}

TEST(DebugLog, FirstStreamIsOriginalAndInsertionsMakeCopies) {
    LogStream first = log() << "a";
    EXPECT_FALSE(first.isCopied());  // elided: the stream the log made
    LogStream second = first << "b";
    EXPECT_TRUE(second.isCopied());
    EXPECT_EQ(second.stream(), first.stream());
}

TEST(DebugTimer, ElapsedFromReadingsAndExtrapolation) {
    C_DebugTimer timer;
    EXPECT_EQ(timer.elapsedTime(), 0.0f);
    timer.setReadings({10, 999500}, {11, 500});
    timer.updateTime();
    EXPECT_FLOAT_EQ(timer.elapsedTime(), 1.0f);

    timer.setReadings({0, 0}, {0, 100000});
    timer.updateTime();
    EXPECT_FLOAT_EQ(timer.elapsedTime(), 100.0f);
    EXPECT_FLOAT_EQ(timer.remainingTime(25.0f), 300.0f);
    EXPECT_TRUE(std::isinf(timer.remainingTime(0.0f)));

    timer.start();
    EXPECT_EQ(timer.elapsedTime(), 0.0f);
    timer.update();
    EXPECT_GE(timer.elapsedTime(), 0.0f);
}

}  // namespace
}  // namespace quorvan
