// The glue and the style natives against a fake JNIEnv: it lets the tests
// make the JVM fail where a real one will not on demand (a null from
// GetStringUTFChars, a failed array allocation), and lets ASan see every
// buffer handed across. Any JNI function the fake does not provide is a null
// pointer, so an unexpected call fails loudly.

#include "jni/glue.h"

#include <gtest/gtest.h>
#include <jni.h>

#include <deque>
#include <string>
#include <vector>

#include "quorvan__native_SldStyles_.h"

namespace {

struct FakeEnv : JNIEnv {
    JNINativeInterface_ table{};

    bool failAllocations = false;
    bool failStrings = false;
    bool pending = false;
    int releases = 0;
    int regionWrites = 0;
    std::deque<std::vector<jint>> intArrays;
    std::deque<std::vector<jdouble>> doubleArrays;

    FakeEnv() {
        functions = &table;
        table.ExceptionCheck = [](JNIEnv* env) -> jboolean {
            return self(env).pending ? JNI_TRUE : JNI_FALSE;
        };
        table.GetStringUTFChars = [](JNIEnv* env, jstring s, jboolean* isCopy) -> const char* {
            EXPECT_EQ(isCopy, nullptr);
            if (self(env).failStrings) {
                self(env).pending = true;  // as the JVM does: OutOfMemoryError
                return nullptr;
            }
            // A heap copy, so that ASan catches a read past its end or a
            // missing release.
            const std::string& text = *reinterpret_cast<const std::string*>(s);
            char* copy = new char[text.size() + 1];
            text.copy(copy, text.size());
            copy[text.size()] = '\0';
            return copy;
        };
        // Paths are read as UTF-16 (ASCII here: one code unit per byte).
        table.GetStringLength = [](JNIEnv*, jstring s) -> jsize {
            return static_cast<jsize>(reinterpret_cast<const std::string*>(s)->size());
        };
        table.GetStringRegion = [](JNIEnv* env, jstring s, jsize start, jsize length, jchar* out) {
            if (self(env).failStrings) {
                self(env).pending = true;
                return;
            }
            const std::string& text = *reinterpret_cast<const std::string*>(s);
            for (jsize i = 0; i < length; ++i) out[i] = static_cast<unsigned char>(text[start + i]);
        };
        table.ReleaseStringUTFChars = [](JNIEnv* env, jstring, const char* chars) {
            ++self(env).releases;
            delete[] chars;
        };
        table.NewIntArray = [](JNIEnv* env, jsize length) -> jintArray {
            EXPECT_GE(length, 0);
            if (self(env).failAllocations) return nullptr;
            self(env).intArrays.emplace_back(static_cast<size_t>(length));
            return reinterpret_cast<jintArray>(&self(env).intArrays.back());
        };
        table.SetIntArrayRegion = [](JNIEnv* env, jintArray array, jsize start, jsize length,
                                     const jint* data) {
            auto& target = *reinterpret_cast<std::vector<jint>*>(array);
            ASSERT_LE(static_cast<size_t>(start) + static_cast<size_t>(length), target.size());
            std::copy(data, data + length, target.begin() + start);
            ++self(env).regionWrites;
        };
        table.NewDoubleArray = [](JNIEnv* env, jsize length) -> jdoubleArray {
            if (self(env).failAllocations) return nullptr;
            self(env).doubleArrays.emplace_back(static_cast<size_t>(length));
            return reinterpret_cast<jdoubleArray>(&self(env).doubleArrays.back());
        };
        table.SetDoubleArrayRegion = [](JNIEnv* env, jdoubleArray array, jsize start, jsize length,
                                        const jdouble* data) {
            auto& target = *reinterpret_cast<std::vector<jdouble>*>(array);
            ASSERT_LE(static_cast<size_t>(start) + static_cast<size_t>(length), target.size());
            std::copy(data, data + length, target.begin() + start);
            ++self(env).regionWrites;
        };
    }

    static FakeEnv& self(JNIEnv* env) { return *static_cast<FakeEnv*>(env); }

    static jstring string(const std::string& text) {
        return reinterpret_cast<jstring>(const_cast<std::string*>(&text));
    }
    static const std::vector<jint>& ints(jintArray array) {
        return *reinterpret_cast<const std::vector<jint>*>(array);
    }
};

TEST(JniGlue, StringConversion) {
    FakeEnv env;
    EXPECT_EQ(jstringToString(&env, nullptr), "");
    EXPECT_EQ(env.releases, 0);

    const std::string text = "h\xC3\xB6he \xC0\x80 end";  // modified UTF-8, with an encoded U+0000
    EXPECT_EQ(jstringToString(&env, FakeEnv::string(text)), text);
    EXPECT_EQ(env.releases, 1);

    env.failStrings = true;
    EXPECT_EQ(jstringToString(&env, FakeEnv::string(text)), "");
    EXPECT_EQ(env.releases, 1);  // nothing to release
}

TEST(JniGlue, ArrayConversion) {
    FakeEnv env;
    const jintArray ints = toJavaArray(&env, std::vector<int>{3, -1, 7});
    ASSERT_NE(ints, nullptr);
    EXPECT_EQ(FakeEnv::ints(ints), (std::vector<jint>{3, -1, 7}));

    const jdoubleArray doubles = toJavaArray(&env, std::vector<double>{0.5, -2.25});
    ASSERT_NE(doubles, nullptr);
    EXPECT_EQ(*reinterpret_cast<std::vector<jdouble>*>(doubles),
              (std::vector<jdouble>{0.5, -2.25}));

    // Empty: a real array of length 0, and no region call with a null buffer.
    const int writes = env.regionWrites;
    const jintArray empty = toJavaArray(&env, std::vector<int>{});
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(FakeEnv::ints(empty).empty());
    EXPECT_NE(toJavaArray(&env, std::vector<double>{}), nullptr);
    EXPECT_EQ(env.regionWrites, writes);

    env.failAllocations = true;
    EXPECT_EQ(toJavaArray(&env, std::vector<int>{1, 2}), nullptr);
    EXPECT_EQ(toJavaArray(&env, std::vector<double>{1.0}), nullptr);
    EXPECT_EQ(env.regionWrites, writes);
}

// The rest of the bridge runs in the JVM suite; only a failing JVM needs the fake.
TEST(JniStyles, NoHandleWhenThePathCannotBeRead) {
    FakeEnv env;
    const std::string missing = "/nonexistent/styles.sld";
    // The JVM could not give the path: its error is pending, so the host
    // never sees a handle and none is made (LeakSanitizer would see it).
    env.failStrings = true;
    EXPECT_EQ(Java_quorvan__1native_SldStyles_00024_handleFromFile(&env, nullptr,
                                                                   FakeEnv::string(missing)),
              0);
}

}  // namespace
