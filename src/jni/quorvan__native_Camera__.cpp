// Natives of quorvan._native.Camera$: create, query and destroy cameras.

#include "jni/quorvan__native_Camera__.h"

#include <cmath>
#include <cstring>
#include <glm/gtc/type_ptr.hpp>
#include <glm/vec2.hpp>
#include <limits>
#include <vector>

#include "camera/glcamera.h"
#include "jni/arrays_and_strings.h"
#include "jni/direct_buffers.h"
#include "jni/jni_guard.h"
#include "quorvan__native_Camera_.h"

namespace quorvan {

namespace {

// Narrowing a double outside float's range is undefined in C++; such a
// setting is kept as the infinity it would round to, so the camera answers
// with non-finite values like any other invalid setting.
float narrow(jdouble d) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (d > kMax) return std::numeric_limits<float>::infinity();
    if (d < -kMax) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(d);
}

// Runs `query` on the live camera of a handle under the guard. Handle 0 (a
// host that queries a camera it never made or already let go) gives null
// with IllegalArgumentException pending, and the query does not run.
template <typename F>
jfloatArray queryCamera(JNIEnv* env, jlong handle, F&& query) {
    return jni::guarded(env, jfloatArray{nullptr}, [&]() -> jfloatArray {
        const C_GLCamera* camera = jni::fromHandle<C_GLCamera>(handle);
        if (!camera) {
            jni::throwJava(env, "java/lang/IllegalArgumentException", "camera handle 0");
            return nullptr;
        }
        return query(*camera);
    });
}

}  // namespace

extern "C" jfloatArray vec3ToArray(JNIEnv* env, const glm::vec3& v) {
    const float values[3] = {v.x, v.y, v.z};
    return jni::newFloatArray(env, values);
}

}  // namespace quorvan

using quorvan::C_GLCamera;
using quorvan::jni::guarded;

extern "C" {

JNIEXPORT jlong JNICALL Java_quorvan__1native_Camera_00024_createCameraHandle(
    JNIEnv* env, jobject, jint width, jint height, jfloat minPlane, jfloat maxPlane,
    jdouble targetX, jdouble targetY, jdouble targetZ, jdouble scaleX, jdouble scaleY,
    jdouble scaleZ, jfloat yaw, jfloat pitch, jfloat distance, jfloat fov) {
    return guarded(env, jlong{0}, [&] {
        using quorvan::narrow;
        quorvan::S_CameraOptions options;
        options.width = width;
        options.height = height;
        options.minPlane = minPlane;
        options.maxPlane = maxPlane;
        options.target = glm::vec3(narrow(targetX), narrow(targetY), narrow(targetZ));
        options.scale = glm::vec3(narrow(scaleX), narrow(scaleY), narrow(scaleZ));
        options.yaw = yaw;
        options.pitch = pitch;
        options.distance = distance;
        options.fov = fov;
        options.projection = quorvan::camera_projection::CENTERED_ORTHOGRAPHIC;
        // A failed allocation throws std::bad_alloc, which the guard turns
        // into OutOfMemoryError and handle 0.
        return quorvan::jni::toHandle(new C_GLCamera(options));
    });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_destroyCameraHandle(JNIEnv* env, jobject,
                                                                              jlong handle) {
    quorvan::jni::guardedVoid(env, [&] { delete quorvan::jni::fromHandle<C_GLCamera>(handle); });
}

JNIEXPORT jfloatArray JNICALL Java_quorvan__1native_Camera_00024_project(JNIEnv* env, jobject,
                                                                         jlong handle, jfloat x,
                                                                         jfloat y, jfloat z) {
    return quorvan::queryCamera(env, handle, [&](const C_GLCamera& camera) {
        return quorvan::vec3ToArray(env, camera.project(glm::vec3(x, y, z)));
    });
}

JNIEXPORT jfloatArray JNICALL Java_quorvan__1native_Camera_00024_unproject(JNIEnv* env, jobject,
                                                                           jlong handle, jfloat x,
                                                                           jfloat y, jfloat z) {
    return quorvan::queryCamera(env, handle, [&](const C_GLCamera& camera) {
        return quorvan::vec3ToArray(env, camera.unProject(glm::vec3(x, y, z)));
    });
}

JNIEXPORT jfloatArray JNICALL Java_quorvan__1native_Camera_00024_getLineToPlane(
    JNIEnv* env, jobject, jlong handle, jfloat x, jfloat y, jfloat z) {
    return quorvan::queryCamera(env, handle, [&](const C_GLCamera& camera) {
        const std::vector<glm::vec3> points = camera.getLineToPlane(glm::vec2(x, y), z);
        const float values[6] = {points[0].x, points[0].y, points[0].z,
                                 points[1].x, points[1].y, points[1].z};
        return quorvan::jni::newFloatArray(env, values);
    });
}

JNIEXPORT jfloatArray JNICALL Java_quorvan__1native_Camera_00024_getEye(JNIEnv* env, jobject,
                                                                        jlong handle) {
    return quorvan::queryCamera(env, handle, [&](const C_GLCamera& camera) {
        return quorvan::vec3ToArray(env, camera.getEye());
    });
}

JNIEXPORT jint JNICALL Java_quorvan__1native_Camera_00024_matrixInto(JNIEnv* env, jobject,
                                                                     jlong handle, jint which,
                                                                     jobject target, jint position,
                                                                     jint room) {
    return guarded(env, jint{0}, [&]() -> jint {
        const C_GLCamera* camera = quorvan::jni::fromHandle<C_GLCamera>(handle);
        if (!camera) {
            quorvan::jni::throwJava(env, "java/lang/IllegalArgumentException", "camera handle 0");
            return 0;
        }
        const glm::mat4* matrix = which == 0   ? &camera->getProjectionMatrix()
                                  : which == 1 ? &camera->getViewMatrix()
                                  : which == 2 ? &camera->getScaleMatrix()
                                               : nullptr;
        if (!matrix) {
            quorvan::jni::throwJava(env, "java/lang/IllegalArgumentException",
                                    "meshory: unknown camera matrix");
            return 0;
        }
        uint8_t* base = nullptr;
        if (!quorvan::jni::directRange(env, target, position, room, "target buffer", base))
            return 0;
        constexpr jint kFloats = 16;
        if (room < kFloats) {
            quorvan::jni::throwBare(env, "java/nio/BufferOverflowException");
            return 0;
        }
        // glm keeps a mat4 as its four columns one after another: the
        // column-major order OpenGL takes. Through bytes, as a float view of a
        // ByteBuffer may start at any byte.
        std::memcpy(base + sizeof(float) * static_cast<size_t>(position), glm::value_ptr(*matrix),
                    sizeof(float) * kFloats);
        return kFloats;
    });
}

}  // extern "C"
