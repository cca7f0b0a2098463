#pragma once

// The glue names the style bridge and the host's other native code know;
// each delegates to the bridges' one conversions unit (jni/arrays_and_strings.h).
// Each leaves a Java exception pending when it fails; callers return at once
// in that case.

#include <jni.h>

#include <string>
#include <vector>

// A new Java int[] holding `values`. Null, with an OutOfMemoryError pending,
// when the JVM cannot allocate it or the count does not fit a Java array.
jintArray toJavaArray(JNIEnv* env, const std::vector<int>& values);
// The same for double[].
jdoubleArray toJavaArray(JNIEnv* env, const std::vector<double>& values);

// The string's modified UTF-8 bytes, as the JVM gives them (U+0000 is two
// bytes and supplementary characters are surrogate pairs). Empty for a null
// string, and empty when the JVM cannot produce the bytes (an
// OutOfMemoryError is then pending).
std::string jstringToString(JNIEnv* env, jstring value);
