#pragma once

// Every conversion between C++ values and Java arrays and strings that the
// bridges make, in one place.
//
// A function that makes a Java object returns null, with a Java exception
// pending, when it cannot: the JVM's OutOfMemoryError when the allocation
// fails, ours when the count does not fit a Java length. It calls no JNI
// function other than ExceptionCheck while an exception is already pending,
// and then returns null too. Callers return at once on null.

#include <jni.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorvan::jni {

// `count` as a Java length (of an array, a string or a buffer). jsize is
// 32-bit: a larger count must not wrap into a short or negative length, so
// it gives false, with OutOfMemoryError pending, and leaves `length` alone.
bool javaLength(JNIEnv* env, size_t count, jsize& length) noexcept;

// New Java arrays holding `values`; an empty span gives an array of length 0.
jintArray newIntArray(JNIEnv* env, std::span<const jint> values) noexcept;
jlongArray newLongArray(JNIEnv* env, std::span<const jlong> values) noexcept;
jfloatArray newFloatArray(JNIEnv* env, std::span<const float> values) noexcept;
jdoubleArray newDoubleArray(JNIEnv* env, std::span<const jdouble> values) noexcept;

// The elements of a Java array; a null array gives none. Check for a pending
// exception after reading.
void readBytes(JNIEnv* env, jbyteArray array, std::vector<uint8_t>& out);
std::vector<jlong> readLongs(JNIEnv* env, jlongArray array);
std::vector<jint> readInts(JNIEnv* env, jintArray array);
std::vector<jfloat> readFloats(JNIEnv* env, jfloatArray array);
std::vector<jdouble> readDoubles(JNIEnv* env, jdoubleArray array);

// The string's modified UTF-8 bytes, as the JVM gives them (U+0000 is two
// bytes and supplementary characters are surrogate pairs). Empty for a null
// string, and empty when the JVM cannot produce the bytes (its
// OutOfMemoryError is then pending).
std::string stringFromJava(JNIEnv* env, jstring value);

// A file name from Java: the string's UTF-16 converted exactly to UTF-8, as
// the file system spells it (modified UTF-8 would write a character outside
// the Basic Multilingual Plane as two 3-byte surrogates, and U+0000 as two
// bytes). An unpaired surrogate, which no file name holds, becomes U+FFFD.
// Empty for a null string; empty with a Java exception pending when the
// characters could not be read.
std::string pathFromJava(JNIEnv* env, jstring value);

// A Java string of the UTF-16 form of `utf8`, which may hold any bytes
// (model/decode/utf16.h: ill-formed parts become U+FFFD, a NUL byte is
// U+0000). Not NewStringUTF: that wants modified UTF-8, which tile texts are
// not.
jstring newJavaString(JNIEnv* env, std::string_view utf8);

namespace detail {

// A new float[count], zeroed by the JVM.
jfloatArray newFloatArray(JNIEnv* env, size_t count) noexcept;

// The elements of a float array, pinned or copied by the JVM until this goes
// out of scope. No JNI function may be called meanwhile (the JVM may hold
// off its collector for the time), and -Xcheck:jni says so when one is.
class CriticalFloats {
public:
    CriticalFloats(JNIEnv* env, jfloatArray array) noexcept
        : env_(env),
          array_(array),
          data_(static_cast<float*>(env->GetPrimitiveArrayCritical(array, nullptr))) {}
    ~CriticalFloats() {
        if (data_) env_->ReleasePrimitiveArrayCritical(array_, data_, 0);
    }
    CriticalFloats(const CriticalFloats&) = delete;
    CriticalFloats& operator=(const CriticalFloats&) = delete;

    float* data() const { return data_; }

private:
    JNIEnv* env_;
    jfloatArray array_;
    float* data_;
};

}  // namespace detail

// A new float[count] that `write(std::span<float>)` fills in place, without
// a copy of the floats on the native side; it must write all `count` floats
// and return how many it wrote, make no JNI call and not throw. It is not
// called for count 0. A writer that comes up short is a fault of this
// library: std::logic_error, which the natives' guard turns into a
// RuntimeException, rather than an array with zeros at its end.
template <typename Write>
jfloatArray newFloatArray(JNIEnv* env, size_t count, Write&& write) {
    jfloatArray array = detail::newFloatArray(env, count);
    if (!array || count == 0) return array;
    size_t written = 0;
    {
        const detail::CriticalFloats floats(env, array);
        if (!floats.data()) return nullptr;  // the JVM's OutOfMemoryError stays pending
        written = write(std::span<float>(floats.data(), count));
    }
    if (written != count) throw std::logic_error("float writer came up short of its count");
    return array;
}

}  // namespace quorvan::jni
