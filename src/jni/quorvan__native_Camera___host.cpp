// Natives of quorvan._native.Camera$ for a host that keeps its camera:
// cameras of any projection kind, setters, and the settings read back.
// The Part's natives beside them (createCameraHandle and the queries) keep
// their centred orthographic camera and their results.

#include <glm/vec3.hpp>
#include <limits>

#include "camera/glcamera.h"
#include "jni/jni_guard.h"
#include "quorvan__native_Camera_.h"

namespace {

using quorvan::C_GLCamera;

// As the Part's natives narrow: beyond float's range is the infinity it
// would round to (plain narrowing would be undefined there).
float narrowed(jdouble d) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (d > kMax) return std::numeric_limits<float>::infinity();
    if (d < -kMax) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(d);
}

glm::vec3 narrowed(jdouble x, jdouble y, jdouble z) {
    return {narrowed(x), narrowed(y), narrowed(z)};
}

// Runs `change` on the live camera of a handle; handle 0 raises
// IllegalArgumentException and changes nothing.
template <typename F>
void changeCamera(JNIEnv* env, jlong handle, F&& change) {
    quorvan::jni::guardedVoid(env, [&] {
        C_GLCamera* camera = quorvan::jni::fromHandle<C_GLCamera>(handle);
        if (!camera) {
            quorvan::jni::throwJava(env, "java/lang/IllegalArgumentException", "camera handle 0");
            return;
        }
        change(*camera);
    });
}

}  // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_quorvan__1native_Camera_00024_createCameraOfKind(
    JNIEnv* env, jobject, jint kind, jint width, jint height, jfloat minPlane, jfloat maxPlane,
    jdouble targetX, jdouble targetY, jdouble targetZ, jdouble scaleX, jdouble scaleY,
    jdouble scaleZ, jfloat yaw, jfloat pitch, jfloat distance, jfloat fov) {
    return quorvan::jni::guarded(env, jlong{0}, [&]() -> jlong {
        namespace kinds = quorvan::camera_projection;
        if (kind != kinds::CENTERED_ORTHOGRAPHIC && kind != kinds::PERSPECTIVE &&
            kind != kinds::SCREEN_ORTHOGRAPHIC) {
            quorvan::jni::throwJava(env, "java/lang/IllegalArgumentException",
                                    "meshory: unknown camera projection kind");
            return 0;
        }
        quorvan::S_CameraOptions options;
        options.projection = kind;
        options.width = width;
        options.height = height;
        options.minPlane = minPlane;
        options.maxPlane = maxPlane;
        options.target = narrowed(targetX, targetY, targetZ);
        options.scale = narrowed(scaleX, scaleY, scaleZ);
        options.yaw = yaw;
        options.pitch = pitch;
        options.distance = distance;
        options.fov = fov;
        return quorvan::jni::toHandle(new C_GLCamera(options));
    });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_setViewport(JNIEnv* env, jobject,
                                                                      jlong handle, jint width,
                                                                      jint height) {
    changeCamera(env, handle, [&](C_GLCamera& c) { c.resize(width, height); });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_setTarget(JNIEnv* env, jobject,
                                                                    jlong handle, jdouble x,
                                                                    jdouble y, jdouble z) {
    changeCamera(env, handle, [&](C_GLCamera& c) { c.setTarget(narrowed(x, y, z)); });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_setYaw(JNIEnv* env, jobject, jlong handle,
                                                                 jfloat yaw) {
    changeCamera(env, handle, [&](C_GLCamera& c) { c.setYaw(yaw); });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_setPitch(JNIEnv* env, jobject,
                                                                   jlong handle, jfloat pitch) {
    changeCamera(env, handle, [&](C_GLCamera& c) { c.setPitch(pitch); });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_setDistance(JNIEnv* env, jobject,
                                                                      jlong handle,
                                                                      jfloat distance) {
    changeCamera(env, handle, [&](C_GLCamera& c) { c.setDistance(distance); });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_setPlanes(JNIEnv* env, jobject,
                                                                    jlong handle, jfloat minPlane,
                                                                    jfloat maxPlane) {
    changeCamera(env, handle, [&](C_GLCamera& c) { c.setMinMaxPlanes(minPlane, maxPlane); });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_setScale(JNIEnv* env, jobject,
                                                                   jlong handle, jdouble x,
                                                                   jdouble y, jdouble z) {
    changeCamera(env, handle, [&](C_GLCamera& c) { c.setScale(narrowed(x, y, z)); });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_setFov(JNIEnv* env, jobject, jlong handle,
                                                                 jfloat fov) {
    changeCamera(env, handle, [&](C_GLCamera& c) { c.setFov(fov); });
}

JNIEXPORT void JNICALL Java_quorvan__1native_Camera_00024_settings(JNIEnv* env, jobject,
                                                                   jlong handle, jdoubleArray out) {
    changeCamera(env, handle, [&](C_GLCamera& c) {
        const quorvan::S_CameraOptions& o = c.options();
        const jdouble values[] = {static_cast<jdouble>(o.projection),
                                  static_cast<jdouble>(o.width),
                                  static_cast<jdouble>(o.height),
                                  o.minPlane,
                                  o.maxPlane,
                                  o.target.x,
                                  o.target.y,
                                  o.target.z,
                                  o.scale.x,
                                  o.scale.y,
                                  o.scale.z,
                                  o.yaw,
                                  o.pitch,
                                  o.distance,
                                  o.fov};
        constexpr jsize kCount = sizeof values / sizeof values[0];
        if (!out) {
            quorvan::jni::throwJava(env, "java/lang/NullPointerException", "settings array");
            return;
        }
        if (env->GetArrayLength(out) < kCount) {
            quorvan::jni::throwJava(env, "java/lang/IndexOutOfBoundsException",
                                    "meshory: settings array shorter than 15");
            return;
        }
        env->SetDoubleArrayRegion(out, 0, kCount, values);
    });
}

}  // extern "C"
