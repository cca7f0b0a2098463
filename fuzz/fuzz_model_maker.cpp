// The model maker end to end: the input is split into blobs (type, layer,
// cell, payload), built into one model with a fuzzed origin and filter, read
// back the way the bridge reads it, and released.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "geometry/mathglm.h"
#include "grid/grid.h"
#include "model/meshory.h"

namespace {

struct Input {
    const uint8_t* p;
    size_t n;
    template <typename T>
    T take() {
        T v{};
        if (n >= sizeof(T)) {
            std::memcpy(&v, p, sizeof(T));
            p += sizeof(T);
            n -= sizeof(T);
        }
        return v;
    }
};

// Every type code with a builder is reachable from one byte, and so is one
// without (0).
int32_t typeFromByte(uint8_t b) { return b % 20 == 19 ? 101 : b % 20; }

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
    Input in{data, size};
    static const bool reachable = everyBuilderReachable();
    if (!reachable) __builtin_trap();
    static const bool gridReady = [] {
        grid().cellsAmount(64, 64);
        grid().gridCoordinates(Bounds(0, 0, 6400, 6400));
        return true;
    }();
    (void)gridReady;

    // One take per statement: argument evaluation order is unspecified, and
    // a kept input must mean the same to every compiler that replays it.
    glm::vec3 origin;
    origin.x = in.take<float>();
    origin.y = in.take<float>();
    origin.z = in.take<float>();
    LoadFilter filter(in.take<uint16_t>());
    if (const uint8_t c = in.take<uint8_t>(); c & 1) filter.categories.insert(c >> 1);
    if (const uint32_t s = in.take<uint32_t>(); s & 1) filter.styleIds.insert(s >> 1);

    std::vector<S_BlobData> blobs;
    while (in.n > 0 && blobs.size() < 64) {
        const int32_t type = typeFromByte(in.take<uint8_t>());
        const int32_t layer = in.take<int8_t>();
        const int32_t column = in.take<uint16_t>() % 64;
        const int32_t cell = column * 65536 + in.take<uint8_t>() % 64;
        const size_t length = std::min<size_t>(in.take<uint16_t>(), in.n);
        blobs.emplace_back(blobs.size(), type, layer, cell, std::vector<uint8_t>(in.p, in.p + length));
        in.p += length;
        in.n -= length;
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
