#include "jni/glue.h"

#include <limits>

#include "jni/jni_guard.h"

namespace {

// jsize is 32-bit: a longer vector must not wrap into a short or negative
// array length.
bool fitsJavaArray(JNIEnv* env, size_t count) {
    if (count <= static_cast<size_t>(std::numeric_limits<jsize>::max())) return true;
    quorvan::jni::throwJava(env, "java/lang/OutOfMemoryError", "meshory: array too large for Java");
    return false;
}

}  // namespace

jintArray toJavaArray(JNIEnv* env, const std::vector<int>& values) {
    if (!fitsJavaArray(env, values.size())) return nullptr;
    const auto count = static_cast<jsize>(values.size());
    jintArray array = env->NewIntArray(count);
    if (array != nullptr && count > 0) {
        static_assert(sizeof(jint) == sizeof(int));
        env->SetIntArrayRegion(array, 0, count, reinterpret_cast<const jint*>(values.data()));
    }
    return array;
}

jdoubleArray toJavaArray(JNIEnv* env, const std::vector<double>& values) {
    if (!fitsJavaArray(env, values.size())) return nullptr;
    const auto count = static_cast<jsize>(values.size());
    jdoubleArray array = env->NewDoubleArray(count);
    if (array != nullptr && count > 0) env->SetDoubleArrayRegion(array, 0, count, values.data());
    return array;
}

std::string jstringToString(JNIEnv* env, jstring value) {
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
