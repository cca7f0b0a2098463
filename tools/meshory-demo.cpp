// Builds one small tile through the library's public C++ API, the way the
// JVM bridge does (origin with z = 0, a filter that wants variant 0), and
// prints what each model holds.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/mathglm.h"
#include "grid/grid.h"
#include "model/meshory.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put(Bytes& b, const void* p, size_t n) {
    const auto* c = static_cast<const uint8_t*>(p);
    b.insert(b.end(), c, c + n);
}

Bytes stream(std::initializer_list<float> xy) {
    Bytes b{0};  // plain encoding
    for (float v : xy) put(b, &v, 4);
    return b;
}

Bytes prefixed(Bytes prefix, const Bytes& rest) {
    prefix.insert(prefix.end(), rest.begin(), rest.end());
    return prefix;
}

Bytes label(float x, float y, const std::string& text) {
    Bytes b;
    put(b, &x, 4);
    put(b, &y, 4);
    b.push_back(static_cast<uint8_t>(text.size()));
    put(b, text.data(), text.size());
    return b;
}

struct Request {
    const char* name;
    std::vector<quorvan::S_BlobData> blobs;
};

}  // namespace

int main() {
    using namespace quorvan;
    namespace bg = blob_geometry;

    grid().cellsAmount(4, 4);
    grid().gridCoordinates(Bounds(1000.0, 2000.0, 1400.0, 2400.0));
    const glm::vec3 origin(1000.0f, 2000.0f, 0.0f);
    const int cell = grid().xyToIndex(1, 2);

    const std::vector<Request> requests = {
        {"trees", {S_BlobData(1, bg::POINTS, 7, cell, stream({1110, 2210, 1150, 2250, 1190, 2230}))}},
        {"streets", {S_BlobData(2, bg::LINES, 3, cell, stream({1100, 2200, 1200, 2200, 1200, 2200, 1200, 2300}))}},
        {"park", {S_BlobData(3, bg::FLAT_TRIANGLE_FAN, 5, cell, stream({1150, 2250, 1120, 2220, 1180, 2220, 1180, 2280, 1120, 2280}))}},
        {"building",
         {S_BlobData(4, bg::TRIANGLE_FAN, 9, cell,
                     prefixed({120, 0}, stream({1130, 2230, 1120, 2220, 1140, 2220, 1140, 2240, 1120, 2240})))}},
        {"town name", {S_BlobData(5, bg::TEXT_DATA, 11, cell, label(1200, 2200, "Meshory"))}},
        {"cell", {S_BlobData(6, bg::CELL_POLYGON, 1, cell, {})}},
    };

    C_Meshory maker;
    const LoadFilter filter(0);
    std::printf("%-10s %6s %9s %6s %6s %7s  %s\n", "model", "layer", "triangles", "lines", "points", "height", "label");
    for (const auto& request : requests) {
        const S_Model* model = maker.makeModel(request.blobs, origin, filter);
        if (!model) {
            std::printf("%-10s (no builder for these blobs yet)\n", request.name);
            continue;
        }
        const size_t triangles = geometryPolygonsToTriangles(model->polygons).size() / 3;
        const size_t lines = geometryLinesToLines(model->lines).size() / 2;
        std::printf("%-10s %6d %9zu %6zu %6zu %7.1f  %s\n", request.name, model->layerId, triangles, lines,
                    model->points.size(), model->height, model->label.c_str());
    }
    std::printf("layers: %zu, models: %zu\n", maker.getModelLayers().size(), maker.getModels().size());
    return 0;
}
