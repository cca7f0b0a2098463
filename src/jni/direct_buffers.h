#pragma once

// The memory of the direct java.nio buffers that the buffer natives read and
// write in place. The public Java methods check a buffer as java.nio does;
// these check again what the native side relies on.

#include <jni.h>

#include <cstdint>

namespace quorvan::jni {

// The elements [position, position + room) of a direct buffer, as bytes
// from its element 0; false, with a Java exception pending, unless the
// buffer is direct and the range lies inside its capacity. The bytes need
// not be aligned for the buffer's element type: a view of a ByteBuffer may
// start at any byte.
bool directRange(JNIEnv* env, jobject buffer, jint position, jint room, const char* what,
                 uint8_t*& base);

// directRange for a buffer the native writes into: a read-only buffer (a
// read-only view, a read-only file mapping, whose memory may not even be
// writable) is refused with ReadOnlyBufferException and nothing is written.
// Asks the buffer itself (Buffer.isReadOnly): JNI's address of a read-only
// view is the same as its writable original's.
bool writableDirectRange(JNIEnv* env, jobject buffer, jint position, jint room, const char* what,
                         uint8_t*& base);

// Throws an exception class that has only a no-argument constructor
// (BufferOverflowException), as java.nio does.
void throwBare(JNIEnv* env, const char* className);

}  // namespace quorvan::jni
