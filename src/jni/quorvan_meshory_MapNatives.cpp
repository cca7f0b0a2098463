// Natives of quorvan.meshory.MapNatives: picking and label selection over
// tiles through a camera (map/pick.h, map/label_selection.h).

#include <cstring>
#include <glm/vec2.hpp>
#include <vector>

#include "jni/arrays_and_strings.h"
#include "jni/direct_buffers.h"
#include "jni/jni_guard.h"
#include "map/label_selection.h"
#include "map/pick.h"
#include "quorvan_meshory_MapNatives.h"

namespace {

using quorvan::jni::throwJava;

bool invalid(JNIEnv* env, const char* message) {
    throwJava(env, "java/lang/IllegalArgumentException", message);
    return false;
}

// The tiles and their origins, checked: every handle live, two origin
// values per tile.
bool readTiles(JNIEnv* env, jlongArray tiles, jdoubleArray origins,
               std::vector<const quorvan::C_Tile*>& out, std::vector<glm::dvec2>& originsOut) {
    if (!tiles || !origins) {
        throwJava(env, "java/lang/NullPointerException", "meshory: tiles or origins null");
        return false;
    }
    const std::vector<jlong> handles = quorvan::jni::readLongs(env, tiles);
    const std::vector<jdouble> xy = quorvan::jni::readDoubles(env, origins);
    if (env->ExceptionCheck()) return false;
    if (xy.size() != 2 * handles.size())
        return invalid(env, "meshory: origins need two values (x, y) per tile");
    out.clear();
    originsOut.clear();
    for (size_t i = 0; i < handles.size(); ++i) {
        if (handles[i] == 0) return invalid(env, "meshory: tile handle 0");
        out.push_back(quorvan::jni::fromHandle<const quorvan::C_Tile>(handles[i]));
        originsOut.emplace_back(xy[2 * i], xy[2 * i + 1]);
    }
    return true;
}

const quorvan::C_GLCamera* liveCamera(JNIEnv* env, jlong handle) {
    const auto* camera = quorvan::jni::fromHandle<const quorvan::C_GLCamera>(handle);
    if (!camera) invalid(env, "camera handle 0");
    return camera;
}

}  // namespace

extern "C" {

JNIEXPORT jdoubleArray JNICALL Java_quorvan_meshory_MapNatives_pick(
    JNIEnv* env, jclass, jlongArray tiles, jdoubleArray origins, jlong cameraHandle, jfloat x,
    jfloat y, jintArray layers, jfloatArray sizes, jfloat tolerancePx) {
    return quorvan::jni::guarded(env, jdoubleArray{nullptr}, [&]() -> jdoubleArray {
        std::vector<const quorvan::C_Tile*> tileList;
        std::vector<glm::dvec2> originList;
        if (!readTiles(env, tiles, origins, tileList, originList)) return nullptr;
        const quorvan::C_GLCamera* camera = liveCamera(env, cameraHandle);
        if (!camera) return nullptr;
        const std::vector<jint> ids = quorvan::jni::readInts(env, layers);
        const std::vector<jfloat> widths = quorvan::jni::readFloats(env, sizes);
        if (env->ExceptionCheck()) return nullptr;
        if (ids.size() % 2 != 0 || widths.size() != ids.size()) {
            invalid(env, "meshory: two ints and two floats per painted layer");
            return nullptr;
        }
        std::vector<quorvan::S_PaintLayer> order;
        for (size_t i = 0; i < ids.size(); i += 2)
            order.push_back({ids[i], static_cast<uint32_t>(ids[i + 1]), widths[i], widths[i + 1]});
        std::vector<quorvan::S_PickTile> pickTiles;
        for (size_t i = 0; i < tileList.size(); ++i)
            pickTiles.push_back({tileList[i], originList[i]});
        const quorvan::S_PickResult hit =
            quorvan::pickTiles(pickTiles, *camera, glm::vec2(x, y), order, tolerancePx);
        if (!hit.hit()) return nullptr;
        const jdouble values[] = {static_cast<jdouble>(hit.tile),
                                  static_cast<jdouble>(hit.model),
                                  static_cast<jdouble>(hit.kind),
                                  hit.point.x,
                                  hit.point.y,
                                  hit.point.z,
                                  static_cast<jdouble>(hit.depth)};
        return quorvan::jni::newDoubleArray(env, values);
    });
}

JNIEXPORT jintArray JNICALL Java_quorvan_meshory_MapNatives_selectLabels(
    JNIEnv* env, jclass, jlongArray tiles, jdoubleArray origins, jlong cameraHandle,
    jintArray layers, jfloatArray sizes, jfloatArray priorities, jobject out, jint position,
    jint room) {
    return quorvan::jni::guarded(env, jintArray{nullptr}, [&]() -> jintArray {
        std::vector<const quorvan::C_Tile*> tileList;
        std::vector<glm::dvec2> originList;
        if (!readTiles(env, tiles, origins, tileList, originList)) return nullptr;
        const quorvan::C_GLCamera* camera = liveCamera(env, cameraHandle);
        if (!camera) return nullptr;
        uint8_t* base = nullptr;
        if (!quorvan::jni::writableDirectRange(env, out, position, room, "label buffer", base))
            return nullptr;
        const std::vector<jint> layerIds = quorvan::jni::readInts(env, layers);
        const std::vector<jfloat> sizeValues = quorvan::jni::readFloats(env, sizes);
        const std::vector<jfloat> priorityValues = quorvan::jni::readFloats(env, priorities);
        if (env->ExceptionCheck()) return nullptr;
        // Sizes as (width, height) pairs; each tile takes its models' share.
        std::vector<glm::vec2> boxes(sizeValues.size() / 2);
        for (size_t i = 0; i < boxes.size(); ++i)
            boxes[i] = glm::vec2(sizeValues[2 * i], sizeValues[2 * i + 1]);
        std::vector<quorvan::S_LabelTile> labelTiles;
        size_t first = 0;
        for (size_t t = 0; t < tileList.size(); ++t) {
            const size_t n = tileList[t]->models().size();
            const auto share = [&](auto& all) {
                using Span = std::span<const typename std::decay_t<decltype(all)>::value_type>;
                if (first >= all.size()) return Span{};
                return Span(all).subspan(first, std::min(n, all.size() - first));
            };
            labelTiles.push_back({tileList[t], originList[t], share(boxes), share(priorityValues)});
            first += n;
        }
        const std::vector<quorvan::S_PlacedLabel> placed =
            quorvan::selectTileLabels(labelTiles, *camera, layerIds);
        constexpr size_t kFloats = 3;
        if (static_cast<size_t>(room) < kFloats * placed.size()) {
            quorvan::jni::throwBare(env, "java/nio/BufferOverflowException");
            return nullptr;
        }
        std::vector<jint> chosen;
        chosen.reserve(2 * placed.size());
        uint8_t* d = base + sizeof(float) * static_cast<size_t>(position);
        for (const quorvan::S_PlacedLabel& p : placed) {
            chosen.push_back(static_cast<jint>(p.tile));
            chosen.push_back(static_cast<jint>(p.model));
            const float values[kFloats] = {p.centre.x, p.centre.y, p.angle};
            // Bytes: a float view of a byte buffer may start at any byte.
            std::memcpy(d, values, sizeof values);
            d += sizeof values;
        }
        return quorvan::jni::newIntArray(env, chosen);
    });
}

}  // extern "C"
