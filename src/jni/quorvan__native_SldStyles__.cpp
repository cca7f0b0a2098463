// Natives of the host object quorvan._native.SldStyles$: a thin shell over
// C_GeoStylesList. Handles are list addresses; 0 is no list, and the queries
// answer it with an empty array.

#include "quorvan__native_SldStyles_.h"

#include <memory>
#include <vector>

#include "jni/glue.h"
#include "jni/jni_guard.h"
#include "styles/geostyles_lib.h"

using quorvan::C_GeoStyle;
using quorvan::C_GeoStylesList;
using quorvan::jni::fromHandle;
using quorvan::jni::guarded;
using quorvan::jni::guardedVoid;
using quorvan::jni::toHandle;

namespace {

jintArray layerIds(JNIEnv* env, const std::vector<const C_GeoStyle*>& styles) {
    std::vector<int> ids;
    ids.reserve(styles.size());
    for (const C_GeoStyle* style : styles) ids.push_back(style->getGeometryLayerId());
    return toJavaArray(env, ids);
}

}  // namespace

extern "C" {

JNIEXPORT jlong JNICALL Java_quorvan__1native_SldStyles_00024_handleFromFile(JNIEnv* env, jobject,
                                                                             jstring path) {
    return guarded(env, jlong{0}, [&] {
        const std::string file = jstringToString(env, path);
        // The JVM could not give the path's bytes: the host sees the pending
        // error and never the handle, which would leak.
        if (env->ExceptionCheck()) return jlong{0};
        auto list = std::make_unique<C_GeoStylesList>();
        // Whatever the status, the host gets a list; a failed load leaves it empty.
        list->loadFromFile(file);
        return toHandle(list.release());
    });
}

JNIEXPORT void JNICALL Java_quorvan__1native_SldStyles_00024_destroyHandle(JNIEnv* env, jobject,
                                                                           jlong handle) {
    guardedVoid(env, [&] { delete fromHandle<C_GeoStylesList>(handle); });
}

JNIEXPORT jintArray JNICALL Java_quorvan__1native_SldStyles_00024_visibleLayerIds(JNIEnv* env,
                                                                                  jobject,
                                                                                  jlong handle,
                                                                                  jfloat height) {
    return guarded(env, jintArray{nullptr}, [&] {
        const C_GeoStylesList* list = fromHandle<C_GeoStylesList>(handle);
        return layerIds(env,
                        list ? list->getStyleByHeight(height) : std::vector<const C_GeoStyle*>());
    });
}

JNIEXPORT jintArray JNICALL Java_quorvan__1native_SldStyles_00024_all3dLayers(JNIEnv* env, jobject,
                                                                              jlong handle) {
    return guarded(env, jintArray{nullptr}, [&] {
        const C_GeoStylesList* list = fromHandle<C_GeoStylesList>(handle);
        return layerIds(env, list ? list->getAll3dStyles() : std::vector<const C_GeoStyle*>());
    });
}

JNIEXPORT jintArray JNICALL Java_quorvan__1native_SldStyles_00024_allLayers(JNIEnv* env, jobject,
                                                                            jlong handle) {
    return guarded(env, jintArray{nullptr}, [&] {
        const C_GeoStylesList* list = fromHandle<C_GeoStylesList>(handle);
        return layerIds(env, list ? list->getAllStyles() : std::vector<const C_GeoStyle*>());
    });
}

}  // extern "C"
