#include "jni/jni_guard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace quorvan::jni {
namespace {

// A stand-in for the JVM with just the four calls the guard makes: it
// records the exception that would be raised.
struct FakeJvm {
    static inline bool pending = false;
    static inline std::string thrownClass;
    static inline std::string thrownMessage;
    static inline int findClassCalls = 0;

    JNINativeInterface_ table{};
    JNIEnv env{};

    FakeJvm() {
        pending = false;
        thrownClass.clear();
        thrownMessage.clear();
        findClassCalls = 0;
        table.ExceptionCheck = [](JNIEnv*) -> jboolean { return pending ? JNI_TRUE : JNI_FALSE; };
        table.FindClass = [](JNIEnv*, const char* name) -> jclass {
            ++findClassCalls;
            thrownClass = name;
            static int token;
            return reinterpret_cast<jclass>(&token);
        };
        table.ThrowNew = [](JNIEnv*, jclass, const char* message) -> jint {
            pending = true;
            thrownMessage = message;
            return 0;
        };
        table.DeleteLocalRef = [](JNIEnv*, jobject) {};
        env.functions = &table;
    }
};

TEST(JniGuard, PassesResultsThroughWithoutRaisingAnything) {
    FakeJvm jvm;
    EXPECT_EQ(guarded<jlong>(&jvm.env, 0, [] { return jlong{42}; }), 42);
    bool ran = false;
    guardedVoid(&jvm.env, [&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(FakeJvm::pending);
    EXPECT_EQ(FakeJvm::findClassCalls, 0);
}

TEST(JniGuard, BadAllocBecomesOutOfMemoryErrorAndTheFallback) {
    FakeJvm jvm;
    EXPECT_EQ(guarded<jlong>(&jvm.env, -1, []() -> jlong { throw std::bad_alloc(); }), -1);
    EXPECT_EQ(FakeJvm::thrownClass, "java/lang/OutOfMemoryError");

    FakeJvm again;
    guardedVoid(&again.env, [] { throw std::bad_alloc(); });
    EXPECT_EQ(FakeJvm::thrownClass, "java/lang/OutOfMemoryError");
}

TEST(JniGuard, OtherExceptionsBecomeRuntimeExceptionWithAnAsciiMessage) {
    FakeJvm jvm;
    EXPECT_EQ(guarded<jint>(&jvm.env, 0,
                            []() -> jint { throw std::logic_error("cell\xff\xfe out\nof grid"); }),
              0);
    EXPECT_EQ(FakeJvm::thrownClass, "java/lang/RuntimeException");
    EXPECT_EQ(FakeJvm::thrownMessage, "meshory: cell?? out?of grid");

    FakeJvm other;
    guardedVoid(&other.env, [] { throw 7; });
    EXPECT_EQ(FakeJvm::thrownClass, "java/lang/RuntimeException");
    EXPECT_EQ(FakeJvm::thrownMessage, "meshory: unexpected native failure");
}

TEST(JniGuard, LongMessagesAreCutToTheBuffer) {
    const std::string what(1000, 'x');
    char out[32];
    exceptionMessage(what.c_str(), out);
    EXPECT_EQ(std::strlen(out), sizeof(out) - 1);
    EXPECT_EQ(std::string(out, 9), "meshory: ");
    exceptionMessage(nullptr, out);
    EXPECT_STREQ(out, "meshory: ");
}

TEST(JniGuard, KeepsTheExceptionAlreadyPending) {
    FakeJvm jvm;
    FakeJvm::pending = true;
    guardedVoid(&jvm.env, [] { throw std::runtime_error("later"); });
    EXPECT_EQ(FakeJvm::findClassCalls, 0);
    EXPECT_EQ(FakeJvm::thrownMessage, "");
}

}  // namespace
}  // namespace quorvan::jni
