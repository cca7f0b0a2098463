#pragma once

// What every native needs to stay a thin, safe shell: handle conversion and
// a guard that turns any C++ exception into a pending Java exception, so
// that nothing ever unwinds into the JVM.
//
// Handles are object addresses in a jlong; 0 is no object. fromHandle does
// not check anything else: a non-zero handle must be live and of the right
// kind, which only the host can guarantee.

#include <jni.h>

#include <cstddef>
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
// first failure is the one the host should see). `message` must be modified
// UTF-8; plain ASCII is.
inline void throwJava(JNIEnv* env, const char* className, const char* message) noexcept {
    if (env->ExceptionCheck()) return;
    jclass cls = env->FindClass(className);
    if (cls) {
        env->ThrowNew(cls, message);
        env->DeleteLocalRef(cls);
    }
}

// "meshory: " and `what`, cut to the buffer and with every byte outside
// printable ASCII replaced by '?': an exception text may hold any bytes, and
// ThrowNew takes modified UTF-8 only. No allocation, so it cannot fail.
template <size_t N>
void exceptionMessage(const char* what, char (&out)[N]) noexcept {
    static_assert(N > 16);
    constexpr char prefix[] = "meshory: ";
    size_t n = 0;
    for (const char* p = prefix; *p; ++p) out[n++] = *p;
    for (const char* p = what ? what : ""; *p && n + 1 < N; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        out[n++] = c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    out[n] = '\0';
}

// To be called inside a catch handler: raises the Java exception that
// matches the exception being handled (OutOfMemoryError for std::bad_alloc,
// RuntimeException for anything else).
inline void raiseCurrentException(JNIEnv* env) noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        throwJava(env, "java/lang/OutOfMemoryError", "meshory: native allocation failed");
    } catch (const std::exception& e) {
        char message[160];
        exceptionMessage(e.what(), message);
        throwJava(env, "java/lang/RuntimeException", message);
    } catch (...) {
        throwJava(env, "java/lang/RuntimeException", "meshory: unexpected native failure");
    }
}

// Runs `body` and returns its result; on a C++ exception raises the matching
// Java exception and returns `fallback`.
template <typename R, typename F>
R guarded(JNIEnv* env, R fallback, F&& body) noexcept {
    static_assert(!std::is_void_v<R>, "use guardedVoid");
    try {
        return body();
    } catch (...) {
        raiseCurrentException(env);
    }
    return fallback;
}

// For natives that return nothing.
template <typename F>
void guardedVoid(JNIEnv* env, F&& body) noexcept {
    try {
        body();
    } catch (...) {
        raiseCurrentException(env);
    }
}

}  // namespace quorvan::jni
