// The model maker end to end: the input is split into blobs (type, layer,
// cell, payload), built into one model with a fuzzed origin and filter, read
// back the way the bridge reads it, and released. Front: the origin (three
// raw floats), then the blobs' payloads; back: the filter, then per blob its
// type byte, layer, column, row and payload length.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/mathglm.h"
#include "grid/grid.h"
#include "model/meshory.h"
#include "model/model_conversions.h"
#include "provider.h"

namespace {

// Every type code with a builder is reachable from one byte, and so is one
// without (0).
int32_t typeFromByte(uint8_t b) {
    return b % 20 == 19 ? 101 : b % 20;
}

// A builder added under a code that typeFromByte cannot produce would never
// be fuzzed: refuse to run instead (the replay test fails).
bool everyBuilderReachable() {
    bool reached[1024] = {};
    for (int b = 0; b < 256; ++b) reached[typeFromByte(static_cast<uint8_t>(b))] = true;
    for (int32_t type = 0; type < 1024; ++type) {
        if (quorvan::C_Meshory::builderFor(type) && !reached[type]) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quorvan;
    FuzzedDataProvider in(data, size);
    static const bool reachable = everyBuilderReachable();
    if (!reachable) __builtin_trap();
    static const bool gridReady = [] {
        grid().cellsAmount(64, 64);
        grid().gridCoordinates(Bounds(0, 0, 6400, 6400));
        return true;
    }();
    (void)gridReady;

    // One field per statement: argument evaluation order is unspecified, and
    // a kept input must mean the same to every compiler that replays it.
    glm::vec3 origin;
    origin.x = consumeRaw<float>(in);
    origin.y = consumeRaw<float>(in);
    origin.z = consumeRaw<float>(in);
    LoadFilter filter(in.ConsumeIntegral<uint16_t>());
    if (const uint8_t c = in.ConsumeIntegral<uint8_t>(); c & 1) filter.categories.insert(c >> 1);
    if (const uint32_t s = in.ConsumeIntegral<uint32_t>(); s & 1) filter.styleIds.insert(s >> 1);

    std::vector<S_BlobData> blobs;
    while (in.remaining_bytes() > 0 && blobs.size() < 64) {
        const int32_t type = typeFromByte(in.ConsumeIntegral<uint8_t>());
        const int32_t layer = in.ConsumeIntegral<int8_t>();
        const int32_t column = in.ConsumeIntegralInRange(0, 63);
        const int32_t cell = column * 65536 + in.ConsumeIntegralInRange(0, 63);
        const uint16_t length = in.ConsumeIntegral<uint16_t>();
        blobs.emplace_back(blobs.size(), type, layer, cell, in.ConsumeBytes<uint8_t>(length));
    }

    C_Meshory maker;
    const S_Model* model = maker.makeModel(blobs, origin, filter);
    if (model) {
        volatile size_t sink = geometryPolygonsToTriangles(model->polygons).size() +
                               geometryLinesToLines(model->lines).size() + model->points.size() +
                               model->label.size();
        (void)sink;
        maker.releaseModel(model);
    }
    return 0;
}
