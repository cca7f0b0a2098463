// Natives of the host object quorvan._native.SldStyles$: a thin shell over
// C_GeoStylesList. Handles are list addresses; 0 is no list, and the queries
// answer it with an empty array.

#include "quorvan__native_SldStyles_.h"

#include <memory>
#include <span>
#include <vector>

#include "jni/arrays_and_strings.h"
#include "jni/glue.h"
#include "jni/jni_guard.h"
#include "styles/style_list.h"

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

// The layouts of the style arrays, as quorvan._native.SldStyles$ documents them.
constexpr jsize kStyleInts = 8;
constexpr jsize kStyleFloats = 12;

// Caller arrays too short for the style's values are refused before anything
// is written: the host's arrays are never written past their end.
bool fits(JNIEnv* env, jarray array, jsize length, const char* what) {
    if (!array) {
        quorvan::jni::throwJava(env, "java/lang/NullPointerException", what);
        return false;
    }
    if (env->GetArrayLength(array) < length) {
        quorvan::jni::throwJava(env, "java/lang/IllegalArgumentException", what);
        return false;
    }
    return true;
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

JNIEXPORT jstring JNICALL Java_quorvan__1native_SldStyles_00024_style(JNIEnv* env, jobject,
                                                                      jlong handle, jint layerId,
                                                                      jintArray ints,
                                                                      jfloatArray floats) {
    return guarded(env, jstring{nullptr}, [&]() -> jstring {
        if (!fits(env, ints, kStyleInts, "meshory: style ints need 8 elements") ||
            !fits(env, floats, kStyleFloats, "meshory: style floats need 12 elements"))
            return nullptr;
        const C_GeoStylesList* list = fromHandle<C_GeoStylesList>(handle);
        if (!list) return nullptr;
        // The first in drawing order: the one a host that draws by layer id meets first.
        const C_GeoStyle* style = nullptr;
        for (const C_GeoStyle* s : list->getAllStyles()) {
            if (s->getGeometryLayerId() == layerId) {
                style = s;
                break;
            }
        }
        if (!style) return nullptr;
        const jint intValues[kStyleInts] = {style->getZOrder(),
                                            style->isView3d() ? 1 : 0,
                                            style->getMinScaleDenominator(),
                                            style->getMaxScaleDenominator(),
                                            style->getMinLabelScaleDenominator(),
                                            style->getMaxLabelScaleDenominator(),
                                            style->getFontSize(),
                                            style->getInnerId()};
        const glm::vec4& fill = style->getFillColor();
        const glm::vec4& stroke = style->getStrokeColor();
        const jfloat floatValues[kStyleFloats] = {fill.r,
                                                  fill.g,
                                                  fill.b,
                                                  fill.a,
                                                  stroke.r,
                                                  stroke.g,
                                                  stroke.b,
                                                  stroke.a,
                                                  style->getStrokeWidth(),
                                                  style->getStrokeDasharray(),
                                                  style->getFillWidth(),
                                                  style->getGraphicSize()};
        env->SetIntArrayRegion(ints, 0, kStyleInts, intValues);
        env->SetFloatArrayRegion(floats, 0, kStyleFloats, floatValues);
        return quorvan::jni::newJavaString(env, style->getName());
    });
}

JNIEXPORT jfloatArray JNICALL Java_quorvan__1native_SldStyles_00024_backgroundColor(JNIEnv* env,
                                                                                    jobject,
                                                                                    jlong handle) {
    return guarded(env, jfloatArray{nullptr}, [&] {
        const C_GeoStylesList* list = fromHandle<C_GeoStylesList>(handle);
        if (!list) return quorvan::jni::newFloatArray(env, std::span<const float>());
        const glm::vec4& c = list->getBackgroundColor();
        const float values[4] = {c.r, c.g, c.b, c.a};
        return quorvan::jni::newFloatArray(env, values);
    });
}

}  // extern "C"
