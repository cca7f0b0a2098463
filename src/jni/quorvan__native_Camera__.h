#pragma once

// Conversion helper of the camera bridge, exported for the host's other
// native code.

#include <jni.h>

#include <glm/vec3.hpp>

#include "export.h"

namespace quorvan {

// A new Java float[3] holding x, y, z; null when the JVM cannot allocate it,
// with its OutOfMemoryError pending. The symbol is unmangled ("vec3ToArray")
// so that native code built apart from this library can bind to it by name;
// C linkage does not change how the reference argument is passed.
extern "C" MESHORY_API jfloatArray vec3ToArray(JNIEnv* env, const glm::vec3& v);

}  // namespace quorvan
