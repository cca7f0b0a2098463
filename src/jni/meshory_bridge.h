#pragma once

// Helpers of the model maker bridge (the natives of cpp.geometry.Meshory).
// They carry plain C symbol names so that other native code of the host
// process can bind them by name.

#include <jni.h>

#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "export.h"

#ifdef __clang__
#pragma clang diagnostic push
// glm vectors are plain float triples; C linkage here only fixes the symbol name.
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif

namespace quorvan {

extern "C" {

// (v.x, v.y, 0).
MESHORY_API glm::vec3 vec2ToVec3(const glm::vec2& v) noexcept;

// A new Java float array holding x, y, z of every vertex in order (length
// 3 * vertices.size()). Returns null, leaving a Java exception pending, when
// the JVM cannot allocate the array, when the vertices would need more than
// 2^31 - 1 floats, or when an exception was already pending on entry.
MESHORY_API jfloatArray makeFloatArray(const std::vector<glm::vec3>& vertices,
                                       JNIEnv* env) noexcept;

}  // extern "C"

}  // namespace quorvan

#ifdef __clang__
#pragma clang diagnostic pop
#endif
