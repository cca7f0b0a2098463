#include "model/meshory.h"

#include <memory>

#include "debug/debuglog.h"
#include "geometry/mathglm.h"
#include "model/builders/builders.h"
#include "model/model_pool.h"
#include "model/decode/payload.h"
#include "model/request_plan.h"
#include "model/builders/transport_request.h"

namespace quorvan {

namespace {

const std::map<int32_t, S_GeometryTypeFunction>& geometryTypeFunctions() {
    // Created once under the runtime's thread-safe static initialisation and
    // only read afterwards, so makers on different threads can share it.
    static const std::map<int32_t, S_GeometryTypeFunction> table = [] {
        using namespace blob_geometry;
        const S_GeometryTypeFunction rows[] = {
            {TRIANGLE_STRIPS, builders::modelTriangleStrips},
            {INDEXED_TRIANGLE_STRIPS, builders::modelIndexedTriangleStrips},
            {FLAT_TRIANGLE_STRIP, builders::modelFlatTriangleStrip},
            {INDEXED_FLAT_TRIANGLE_STRIPS, builders::modelIndexedFlatTriangleStrip},
            {FLAT_LINE_STRIP, builders::modelFlatLineStrip},
            {LINES, builders::modelLines},
            {INDEXED_LINES, builders::modelIndexedLines},
            {POINTS, builders::modelPoints},
            {TEXT_DATA, builders::modelText},
            {RAILROAD_PATH, builders::modelRailroad},
            {TRAM_PATH, builders::modelTramPath},
            {ROAD_PATH, builders::modelRoadPath},
            {BRIDGE, builders::modelBridge},
            {FLAT_TRIANGLE_FAN, builders::modelFlatTriangleFan},
            {TRIANGLE_FAN, builders::modelTriangleFan},
            {ON_POLYGON_FLAT_TRIANGLE_FAN, builders::modelOnPolygonFlatTriangleFan},
            {ON_POLYGON_TRIANGLE_FAN, builders::modelOnPolygonTriangleFan},
            {CELL_POLYGON, builders::modelCellPolygon},
            {LABEL_STYLE_SEGMENTS, builders::modelLabelSegments},
        };
        std::map<int32_t, S_GeometryTypeFunction> t;
        for (const auto& row : rows) t.emplace(row.type, row);
        return t;
    }();
    return table;
}

const ViewportPolygon& regionEmpty() {
    static const ViewportPolygon region;
    return region;
}

}  // namespace

namespace builders {

void modelPoints(S_ModelBlobData* data) {
    appendInPlace(data->model->points, decodeStream(data));
}

}  // namespace builders

C_Meshory::C_Meshory() : pool(std::make_unique<builders::ModelPool>()) {}

C_Meshory::~C_Meshory() {
    // Nothing is worth keeping now: the models go, then the pool with its storage.
    for (const S_Model* model : models) delete model;
}

GeometryBuilder C_Meshory::builderFor(int32_t type) {
    const auto& table = geometryTypeFunctions();
    const auto it = table.find(type);
    return it == table.end() ? nullptr : it->second.fn;
}

const S_Model* C_Meshory::makeModel(const std::vector<S_BlobData>& blobs, const glm::vec3& origin,
                                    const LoadFilter& filter, const ViewportPolygon& viewport) {
    if (blobs.empty()) return nullptr;
    std::vector<const S_BlobData*> list;
    list.reserve(blobs.size());
    for (const S_BlobData& blob : blobs) list.push_back(&blob);
    return makeModelFrom(list, origin, filter, viewport);
}

const S_Model* C_Meshory::makeModelFrom(std::span<const S_BlobData* const> blobs, const glm::vec3& origin,
                                        const LoadFilter& filter, const ViewportPolygon& viewport) {
    if (blobs.empty()) return nullptr;
    // Owned here until filed, so an allocation failure inside a builder frees it.
    const builders::RequestSizes sizes = builders::planRequest(blobs);
    std::unique_ptr<S_Model> model = pool->take(sizes.bytes());
    builders::reserveForRequest(sizes, *model);
    // Railways, roads and bridges share state across the blobs of this request.
    builders::TransportRequest transport(*model);
    bool built = false;
    for (const S_BlobData* entry : blobs) {
        const S_BlobData& blob = *entry;
        const GeometryBuilder builder = builderFor(blob.type);
        if (!builder) {
            log() << "no builder for geometry type " << blob.type;
            continue;
        }
        S_ModelBlobData data;
        data.blob = &blob;
        data.viewport = &viewport;
        data.origin = origin;
        data.filter = filter;
        data.model = model.get();
        if (builders::TransportRequest::handles(blob.type)) {
            transport.build(blob.type, data);
        } else {
            if (!builders::TransportRequest::independentOf(blob.type)) transport.flush();
            builder(&data);
        }
        built = true;
    }
    if (!built) {
        transport.finish();  // the path storage back in the model before it is kept
        pool->give(std::move(model));
        return nullptr;
    }
    transport.finish();

    model->id = blobs.front()->id;
    model->cellIndex = blobs.front()->cellIndex;
    model->layerId = blobs.front()->layerId;
    // Reserve room in both containers before filing, so that filing cannot
    // fail half way and leave the model in one but not the other.
    auto [layer, inserted] = layers.try_emplace(model->layerId);
    (void)inserted;
    S_Model* raw = model.get();
    models.insert(raw);
    try {
        layer->second.insert(raw);
    } catch (...) {
        models.erase(raw);
        throw;
    }
    return model.release();
}

const S_Model* C_Meshory::makeModel(const std::vector<S_BlobData>& blobs, const glm::vec3& origin,
                                    const LoadFilter& filter) {
    return makeModel(blobs, origin, filter, regionEmpty());
}

const S_Model* C_Meshory::makeModelFrom(std::span<const S_BlobData* const> blobs, const glm::vec3& origin,
                                        const LoadFilter& filter) {
    return makeModelFrom(blobs, origin, filter, regionEmpty());
}

const S_Model* C_Meshory::makeModel(const std::vector<S_BlobData>& blobs, const glm::vec3& origin,
                                    const ViewportPolygon& viewport) {
    return makeModel(blobs, origin, LoadFilter(), viewport);
}

void C_Meshory::addModelToGroup(S_Model* model) { layers[model->layerId].insert(model); }

void C_Meshory::releaseModel(const S_Model* model) {
    if (!model) return;
    models.erase(model);
    if (auto it = layers.find(model->layerId); it != layers.end()) it->second.erase(model);
    pool->give(std::unique_ptr<S_Model>(const_cast<S_Model*>(model)));
}

void C_Meshory::releaseModels(const ModelSet& set) {
    // The set may be one of our own, which shrinks as we go: walk a copy.
    const ModelSet copy = set;
    for (const S_Model* model : copy) releaseModel(model);
}

void C_Meshory::releaseModels() {
    for (const S_Model* model : models) pool->give(std::unique_ptr<S_Model>(const_cast<S_Model*>(model)));
    models.clear();
    layers.clear();
}

void C_Meshory::setStorageBudget(size_t bytes) { pool->setBudget(bytes); }

size_t C_Meshory::storageBudget() const { return pool->budget(); }

size_t C_Meshory::keptStorageBytes() const { return pool->keptBytes(); }

const C_Meshory::ModelSet& C_Meshory::getModelLayer(const int32_t& layerId) const {
    static const ModelSet empty;
    const auto it = layers.find(layerId);
    return it == layers.end() ? empty : it->second;
}

}  // namespace quorvan
