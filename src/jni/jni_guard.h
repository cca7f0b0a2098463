#pragma once

// What every native needs to stay a thin, safe shell: handle conversion and
// a guard that turns any C++ exception into a pending Java exception, so
// that nothing ever unwinds into the JVM.

#include <jni.h>

#include <cstdint>
#include <exception>
#include <new>
#include <type_traits>

namespace quorvan::jni {

template <typename T>
T* fromHandle(jlong handle) {
    return reinterpret_cast<T*>(static_cast<intptr_t>(handle));
}

template <typename T>
jlong toHandle(const T* object) {
    return static_cast<jlong>(reinterpret_cast<intptr_t>(object));
}

// Raises a Java exception of `className` unless one is already pending (the
// first failure is the one the host should see).
inline void throwJava(JNIEnv* env, const char* className, const char* message) noexcept {
    if (env->ExceptionCheck()) return;
    jclass cls = env->FindClass(className);
    if (cls) {
        env->ThrowNew(cls, message);
        env->DeleteLocalRef(cls);
    }
}

// Runs `body` and returns its result; on a C++ exception raises the matching
// Java exception (OutOfMemoryError for std::bad_alloc, RuntimeException for
// anything else) and returns `fallback`.
template <typename R, typename F>
R guarded(JNIEnv* env, R fallback, F&& body) noexcept {
    static_assert(!std::is_void_v<R>, "use guardedVoid");
    try {
        return body();
    } catch (const std::bad_alloc&) {
        throwJava(env, "java/lang/OutOfMemoryError", "meshory: native allocation failed");
    } catch (const std::exception& e) {
        throwJava(env, "java/lang/RuntimeException", e.what());
    } catch (...) {
        throwJava(env, "java/lang/RuntimeException", "meshory: unexpected native failure");
    }
    return fallback;
}

// For natives that return nothing.
template <typename F>
void guardedVoid(JNIEnv* env, F&& body) noexcept {
    try {
        body();
    } catch (const std::bad_alloc&) {
        throwJava(env, "java/lang/OutOfMemoryError", "meshory: native allocation failed");
    } catch (const std::exception& e) {
        throwJava(env, "java/lang/RuntimeException", e.what());
    } catch (...) {
        throwJava(env, "java/lang/RuntimeException", "meshory: unexpected native failure");
    }
}

}  // namespace quorvan::jni
