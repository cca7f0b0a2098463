#include "jni/direct_buffers.h"

#include <string>

#include "jni/jni_guard.h"

namespace quorvan::jni {

void throwBare(JNIEnv* env, const char* className) {
    if (env->ExceptionCheck()) return;
    jclass cls = env->FindClass(className);
    if (!cls) return;
    jmethodID init = env->GetMethodID(cls, "<init>", "()V");
    if (init) {
        if (auto* e = static_cast<jthrowable>(env->NewObject(cls, init))) {
            env->Throw(e);
            env->DeleteLocalRef(e);
        }
    }
    env->DeleteLocalRef(cls);
}

bool directRange(JNIEnv* env, jobject buffer, jint position, jint room, const char* what,
                 uint8_t*& base) {
    if (!buffer) {
        const std::string message = std::string("meshory: ") + what + " is null";
        throwJava(env, "java/lang/NullPointerException", message.c_str());
        return false;
    }
    base = static_cast<uint8_t*>(env->GetDirectBufferAddress(buffer));
    const jlong capacity = env->GetDirectBufferCapacity(buffer);
    if (!base || capacity < 0) {
        const std::string message = std::string("meshory: ") + what +
                                    " must be a direct buffer (allocateDirect), not a heap buffer";
        throwJava(env, "java/lang/IllegalArgumentException", message.c_str());
        return false;
    }
    if (position < 0 || room < 0 || position > capacity || room > capacity - position) {
        const std::string message = std::string("meshory: ") + what + " range outside its capacity";
        throwJava(env, "java/lang/IndexOutOfBoundsException", message.c_str());
        return false;
    }
    return true;
}

namespace {

// Buffer.isReadOnly(), looked up once: bootstrap classes are never unloaded,
// so the ID stays valid for the life of the process.
jmethodID isReadOnlyMethod(JNIEnv* env) {
    static const jmethodID method = [env]() -> jmethodID {
        jclass buffer = env->FindClass("java/nio/Buffer");
        if (!buffer) return nullptr;
        jmethodID m = env->GetMethodID(buffer, "isReadOnly", "()Z");
        env->DeleteLocalRef(buffer);
        return m;
    }();
    return method;
}

}  // namespace

bool writableDirectRange(JNIEnv* env, jobject buffer, jint position, jint room, const char* what,
                         uint8_t*& base) {
    if (!directRange(env, buffer, position, room, what, base)) return false;
    const jmethodID isReadOnly = isReadOnlyMethod(env);
    if (!isReadOnly) {
        if (!env->ExceptionCheck())
            throwJava(env, "java/lang/IllegalStateException", "meshory: java.nio is not reachable");
        return false;
    }
    const jboolean readOnly = env->CallBooleanMethod(buffer, isReadOnly);
    if (env->ExceptionCheck()) return false;
    if (readOnly) {
        throwBare(env, "java/nio/ReadOnlyBufferException");
        return false;
    }
    return true;
}

}  // namespace quorvan::jni
