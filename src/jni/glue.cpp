#include "jni/glue.h"

#include "jni/arrays_and_strings.h"

static_assert(sizeof(jint) == sizeof(int));

jintArray toJavaArray(JNIEnv* env, const std::vector<int>& values) {
    return quorvan::jni::newIntArray(env, values);
}

jdoubleArray toJavaArray(JNIEnv* env, const std::vector<double>& values) {
    return quorvan::jni::newDoubleArray(env, values);
}

std::string jstringToString(JNIEnv* env, jstring value) {
    return quorvan::jni::stringFromJava(env, value);
}
