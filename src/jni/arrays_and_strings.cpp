#include "jni/arrays_and_strings.h"

#include <limits>
#include <vector>

#include "jni/jni_guard.h"
#include "model/decode/utf16.h"

namespace quorvan::jni {

namespace {

// A new array of `count` elements made by `make` (NewIntArray and the like).
template <typename Array>
Array allocate(JNIEnv* env, size_t count, Array (JNIEnv::*make)(jsize)) noexcept {
    jsize length = 0;
    if (env->ExceptionCheck() || !javaLength(env, count, length)) return nullptr;
    return (env->*make)(length);
}

// A new array holding `values`, made by `make` and filled by `set`
// (SetIntArrayRegion and the like).
template <typename Array, typename T>
Array filled(JNIEnv* env, std::span<const T> values, Array (JNIEnv::*make)(jsize),
             void (JNIEnv::*set)(Array, jsize, jsize, const T*)) noexcept {
    Array array = allocate(env, values.size(), make);
    // No region call for an empty span, whose data may be null.
    if (array && !values.empty())
        (env->*set)(array, 0, static_cast<jsize>(values.size()), values.data());
    return array;
}

// `out` resized to the array's length and filled by `get`
// (GetByteArrayRegion and the like); a null array gives no elements.
template <typename Array, typename T, typename Element>
void readAll(JNIEnv* env, Array array, std::vector<Element>& out,
             void (JNIEnv::*get)(Array, jsize, jsize, T*)) {
    static_assert(sizeof(Element) == sizeof(T));
    out.clear();
    if (!array) return;
    const jsize n = env->GetArrayLength(array);
    out.resize(static_cast<size_t>(n));
    if (n > 0) (env->*get)(array, 0, n, reinterpret_cast<T*>(out.data()));
}

}  // namespace

bool javaLength(JNIEnv* env, size_t count, jsize& length) noexcept {
    if (count > static_cast<size_t>(std::numeric_limits<jsize>::max())) {
        throwJava(env, "java/lang/OutOfMemoryError",
                  "meshory: more than 2^31 - 1 elements for a Java array, string or buffer");
        return false;
    }
    length = static_cast<jsize>(count);
    return true;
}

jintArray newIntArray(JNIEnv* env, std::span<const jint> values) noexcept {
    return filled(env, values, &JNIEnv::NewIntArray, &JNIEnv::SetIntArrayRegion);
}

jlongArray newLongArray(JNIEnv* env, std::span<const jlong> values) noexcept {
    return filled(env, values, &JNIEnv::NewLongArray, &JNIEnv::SetLongArrayRegion);
}

jfloatArray newFloatArray(JNIEnv* env, std::span<const float> values) noexcept {
    static_assert(sizeof(jfloat) == sizeof(float));
    return filled(env, std::span<const jfloat>(values.data(), values.size()),
                  &JNIEnv::NewFloatArray, &JNIEnv::SetFloatArrayRegion);
}

jdoubleArray newDoubleArray(JNIEnv* env, std::span<const jdouble> values) noexcept {
    return filled(env, values, &JNIEnv::NewDoubleArray, &JNIEnv::SetDoubleArrayRegion);
}

jfloatArray detail::newFloatArray(JNIEnv* env, size_t count) noexcept {
    return allocate(env, count, &JNIEnv::NewFloatArray);
}

void readBytes(JNIEnv* env, jbyteArray array, std::vector<uint8_t>& out) {
    readAll(env, array, out, &JNIEnv::GetByteArrayRegion);
}

std::vector<jlong> readLongs(JNIEnv* env, jlongArray array) {
    std::vector<jlong> out;
    readAll(env, array, out, &JNIEnv::GetLongArrayRegion);
    return out;
}

std::vector<jint> readInts(JNIEnv* env, jintArray array) {
    std::vector<jint> out;
    readAll(env, array, out, &JNIEnv::GetIntArrayRegion);
    return out;
}

std::vector<jfloat> readFloats(JNIEnv* env, jfloatArray array) {
    std::vector<jfloat> out;
    readAll(env, array, out, &JNIEnv::GetFloatArrayRegion);
    return out;
}

std::vector<jdouble> readDoubles(JNIEnv* env, jdoubleArray array) {
    std::vector<jdouble> out;
    readAll(env, array, out, &JNIEnv::GetDoubleArrayRegion);
    return out;
}

std::string stringFromJava(JNIEnv* env, jstring value) {
    if (value == nullptr) return std::string();
    const char* chars = env->GetStringUTFChars(value, nullptr);
    if (chars == nullptr) return std::string();
    // Released even if the copy throws: the JVM may have pinned or copied
    // the characters for us.
    struct Release {
        JNIEnv* env;
        jstring value;
        const char* chars;
        ~Release() { env->ReleaseStringUTFChars(value, chars); }
    } release{env, value, chars};
    return std::string(chars);
}

namespace {

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string pathFromJava(JNIEnv* env, jstring value) {
    if (value == nullptr) return std::string();
    const jsize length = env->GetStringLength(value);
    std::vector<jchar> units(static_cast<size_t>(length));
    if (length > 0) env->GetStringRegion(value, 0, length, units.data());
    if (env->ExceptionCheck()) return std::string();
    std::string out;
    out.reserve(units.size() * 3);
    const auto high = [](jchar u) { return u >= 0xD800 && u <= 0xDBFF; };
    const auto low = [](jchar u) { return u >= 0xDC00 && u <= 0xDFFF; };
    for (size_t i = 0; i < units.size(); ++i) {
        const jchar u = units[i];
        if (high(u) && i + 1 < units.size() && low(units[i + 1])) {
            appendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else {
            appendUtf8(out, high(u) || low(u) ? char32_t(0xFFFD) : char32_t(u));
        }
    }
    return out;
}

jstring newJavaString(JNIEnv* env, std::string_view utf8) {
    static_assert(sizeof(jchar) == sizeof(char16_t));
    const std::u16string text = utf8ToUtf16(utf8);
    jsize length = 0;
    if (!javaLength(env, text.size(), length)) return nullptr;
    // NewString reads no code unit for length 0, but wants a valid pointer.
    static const jchar none = 0;
    const jchar* chars = text.empty() ? &none : reinterpret_cast<const jchar*>(text.data());
    return env->NewString(chars, length);
}

}  // namespace quorvan::jni
