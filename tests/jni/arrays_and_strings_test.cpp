// The conversions' own limits against a fake JNIEnv: counts at the edge of
// a Java length, and float arrays written in place, which only a fake JVM
// can make fail or watch for calls inside the critical region. Any JNI
// function the fake does not provide is a null pointer, so an unexpected
// call fails loudly.

#include "jni/arrays_and_strings.h"

#include <gtest/gtest.h>
#include <jni.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct FakeEnv : JNIEnv {
    JNINativeInterface_ table{};

    bool pending = false;
    std::string thrown;
    int allocations = 0;
    bool inCritical = false;
    int releases = 0;
    std::vector<jfloat> floats;

    FakeEnv() {
        functions = &table;
        table.ExceptionCheck = [](JNIEnv* env) -> jboolean {
            EXPECT_FALSE(self(env).inCritical);
            return self(env).pending ? JNI_TRUE : JNI_FALSE;
        };
        table.FindClass = [](JNIEnv* env, const char* name) -> jclass {
            self(env).thrown = name;
            return reinterpret_cast<jclass>(env);
        };
        table.ThrowNew = [](JNIEnv* env, jclass, const char*) -> jint {
            self(env).pending = true;
            return 0;
        };
        table.DeleteLocalRef = [](JNIEnv*, jobject) {};
        table.NewIntArray = [](JNIEnv* env, jsize) -> jintArray {
            ++self(env).allocations;
            return nullptr;
        };
        table.NewFloatArray = [](JNIEnv* env, jsize length) -> jfloatArray {
            ++self(env).allocations;
            self(env).floats.assign(static_cast<size_t>(length), 0.0f);
            return reinterpret_cast<jfloatArray>(&self(env).floats);
        };
        table.GetPrimitiveArrayCritical = [](JNIEnv* env, jarray array, jboolean*) -> void* {
            self(env).inCritical = true;
            return reinterpret_cast<std::vector<jfloat>*>(array)->data();
        };
        table.ReleasePrimitiveArrayCritical = [](JNIEnv* env, jarray, void*, jint mode) {
            EXPECT_EQ(mode, 0);  // the written floats are kept
            self(env).inCritical = false;
            ++self(env).releases;
        };
    }

    static FakeEnv& self(JNIEnv* env) { return *static_cast<FakeEnv*>(env); }
};

TEST(JniConversions, LengthLimitAndFloatsWrittenInPlace) {
    FakeEnv env;
    constexpr size_t kMax = std::numeric_limits<jsize>::max();
    jsize length = -1;
    EXPECT_TRUE(quorvan::jni::javaLength(&env, kMax, length));
    EXPECT_EQ(length, std::numeric_limits<jsize>::max());
    EXPECT_FALSE(env.pending);
    length = -1;
    EXPECT_FALSE(quorvan::jni::javaLength(&env, kMax + 1, length));
    EXPECT_EQ(length, -1);  // never a wrapped length
    EXPECT_TRUE(env.pending);
    EXPECT_EQ(env.thrown, "java/lang/OutOfMemoryError");
    // With an exception pending nothing is allocated.
    EXPECT_EQ(quorvan::jni::newIntArray(&env, std::vector<jint>{1}), nullptr);
    EXPECT_EQ(env.allocations, 0);
    env.pending = false;

    const auto writeAll = [](std::span<float> out) {
        for (size_t i = 0; i < out.size(); ++i) out[i] = 0.5f * static_cast<float>(i);
        return out.size();
    };
    ASSERT_NE(quorvan::jni::newFloatArray(&env, 4, writeAll), nullptr);
    EXPECT_EQ(env.floats, (std::vector<jfloat>{0.0f, 0.5f, 1.0f, 1.5f}));
    EXPECT_EQ(env.releases, 1);

    // Count 0: an empty array, and neither the writer nor the critical region.
    ASSERT_NE(quorvan::jni::newFloatArray(&env, 0,
                                          [](std::span<float>) -> size_t {
                                              ADD_FAILURE() << "writer called for no floats";
                                              return 0;
                                          }),
              nullptr);
    EXPECT_EQ(env.releases, 1);

    // A writer that comes up short is reported, never handed over with zeros,
    // and the region is released before anything else is called.
    EXPECT_THROW(quorvan::jni::newFloatArray(&env, 3, [](std::span<float>) { return size_t{2}; }),
                 std::logic_error);
    EXPECT_EQ(env.releases, 2);
    EXPECT_FALSE(env.inCritical);
}

}  // namespace
