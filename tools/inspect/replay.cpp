#include "inspect/replay.h"

#include <meshory/geometry/mathglm.h>
#include <meshory/grid/grid.h>
#include <meshory/model/model_conversions.h>

#include <algorithm>
#include <chrono>
#include <glm/vec3.hpp>

#include "inspect/text.h"

namespace quorvan::inspect {

namespace {

void addModel(LayerStats& layer, const S_Model& model) {
    const float h = model.height;
    if (layer.models == 0) {
        layer.minHeight = h;
        layer.maxHeight = h;
    } else {
        layer.minHeight = std::min(layer.minHeight, h);
        layer.maxHeight = std::max(layer.maxHeight, h);
    }
    ++layer.models;
    layer.triangles += geometryPolygonsToTriangles(model.polygons).size() / 3;
    layer.segments += model.lines.vertices.size() / 2;
    layer.points += model.points.size();
    if (!model.label.empty()) ++layer.labels;
}

}  // namespace

void setUpGrid(const pack::PackGrid& grid) {
    if (grid.cellsInRow <= 0 || grid.cellsInCol <= 0) return;
    quorvan::grid().cellsAmount(grid.cellsInRow, grid.cellsInCol);
    quorvan::grid().gridCoordinates(grid.bounds);
}

std::string layerName(const pack::BlobPack& pack, int32_t layerId) {
    const auto it = pack.layerNames.find(layerId);
    return it != pack.layerNames.end() ? displayText(it->second)
                                       : "layer " + std::to_string(layerId);
}

Inspection inspectPack(const pack::BlobPack& pack, const Progress& progress) {
    using Clock = std::chrono::steady_clock;
    setUpGrid(pack.grid);

    Inspection result;
    result.grid = pack.grid;
    result.maker = std::make_unique<C_Meshory>();
    // What the bridge hands every request: only text variant 0 is wanted.
    const LoadFilter filter(0);
    const size_t total = pack.requests.size();
    for (size_t i = 0; i < total; ++i) {
        const pack::PackRequest& request = pack.requests[i];
        // The bridge narrows the host's doubles to the nearest float.
        const glm::vec3 origin(static_cast<float>(request.x), static_cast<float>(request.y), 0.0f);

        const auto start = Clock::now();
        const S_Model* model = nullptr;
        try {
            model = result.maker->makeModel(request.blobs, origin, filter);
        } catch (const std::bad_alloc&) {
            throw InspectFailure("out of memory building request " + std::to_string(i) +
                                 " (at byte " + std::to_string(request.offset) + ")");
        } catch (const std::exception&) {
            throw InspectFailure("the library failed on request " + std::to_string(i) +
                                 " (at byte " + std::to_string(request.offset) + ")");
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        result.totalMs += ms;

        const int32_t layerId =
            model ? model->layerId : (request.blobs.empty() ? 0 : request.blobs.front().layerId);
        LayerStats& layer = result.layers[layerId];
        if (layer.requests == 0) {
            layer.layerId = layerId;
            layer.name = layerName(pack, layerId);
        }
        ++layer.requests;
        layer.buildMs += ms;
        if (model) {
            addModel(layer, *model);
            result.models.push_back({model, glm::vec2(origin), i});
        } else {
            ++layer.skipped;
        }
        if (progress) progress(i + 1, total);
    }
    return result;
}

}  // namespace quorvan::inspect
